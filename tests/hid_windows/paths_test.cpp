// Interface paths out of SetupAPI detail records and device-change
// broadcasts: lengths stated by the records are checked before anything is
// read, and what the USB ids in a path say.
#include <windows.h>
#include <dbt.h>
#include <setupapi.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/windows/hid_win_paths.h"

namespace vexaro::hid::win {
namespace {

constexpr char kPath[] =
    "\\\\?\\HID#VID_3C9A&PID_0A21&MI_01&Col02#7&2a4b1c&0&0001#{4d1e55b2-f16f-11cf-88cb-001111000030}";

std::vector<char> DetailRecord(const char* path, std::size_t extra = 0) {
  const std::size_t offset = offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath);
  std::vector<char> record(offset + std::strlen(path) + 1 + extra, 0);
  std::memcpy(record.data() + offset, path, std::strlen(path) + 1);
  return record;
}

std::vector<char> BroadcastRecord(const char* path, DWORD statedSize, DWORD type = DBT_DEVTYP_DEVICEINTERFACE) {
  std::vector<char> record(offsetof(DEV_BROADCAST_DEVICEINTERFACE_A, dbcc_name) + std::strlen(path) + 1, 0);
  DEV_BROADCAST_HDR header{statedSize, type, 0};
  std::memcpy(record.data(), &header, sizeof header);
  std::memcpy(record.data() + offsetof(DEV_BROADCAST_DEVICEINTERFACE_A, dbcc_name), path, std::strlen(path) + 1);
  return record;
}

TEST(WinHidPaths, DetailRecordGivesItsTerminatedPath) {
  std::vector<char> record = DetailRecord(kPath, 7);
  std::string path;
  ASSERT_TRUE(PathFromInterfaceDetail(record.data(), record.size(), path));
  EXPECT_EQ(path, kPath);
}

TEST(WinHidPaths, DetailRecordWithoutRoomOrTerminatorIsRefused) {
  std::vector<char> record = DetailRecord(kPath);
  std::string path;
  // The stated size ends before the terminator: nothing past it is read.
  EXPECT_FALSE(PathFromInterfaceDetail(record.data(), record.size() - 1, path));
  EXPECT_FALSE(PathFromInterfaceDetail(record.data(), sizeof(DWORD), path));
  EXPECT_FALSE(PathFromInterfaceDetail(nullptr, record.size(), path));
  std::vector<char> empty = DetailRecord("");
  EXPECT_FALSE(PathFromInterfaceDetail(empty.data(), empty.size(), path));
}

TEST(WinHidPaths, BroadcastNameIsReadWithinTheStatedSize) {
  std::vector<char> record = BroadcastRecord(kPath, 0);
  std::string path;
  DWORD full = static_cast<DWORD>(record.size());
  std::memcpy(record.data(), &full, sizeof full);
  ASSERT_TRUE(PathFromInterfaceBroadcast(record.data(), path));
  EXPECT_EQ(path, kPath);

  DWORD cut = full - 1;  // the terminator lies outside the record
  std::memcpy(record.data(), &cut, sizeof cut);
  EXPECT_FALSE(PathFromInterfaceBroadcast(record.data(), path));
  DWORD tiny = sizeof(DEV_BROADCAST_HDR);
  std::memcpy(record.data(), &tiny, sizeof tiny);
  EXPECT_FALSE(PathFromInterfaceBroadcast(record.data(), path));
}

TEST(WinHidPaths, BroadcastOfAnotherDeviceTypeHasNoPath) {
  std::vector<char> record = BroadcastRecord(kPath, 0, DBT_DEVTYP_HANDLE);
  DWORD full = static_cast<DWORD>(record.size());
  std::memcpy(record.data(), &full, sizeof full);
  std::string path;
  EXPECT_FALSE(PathFromInterfaceBroadcast(record.data(), path));
}

TEST(WinHidPaths, IdsInterfaceAndCollectionFromAnyCase) {
  InterfaceIds ids;
  ASSERT_TRUE(ParseInterfaceIds(kPath, ids));
  EXPECT_EQ(ids.vendorId, 0x3C9A);
  EXPECT_EQ(ids.productId, 0x0A21);
  EXPECT_EQ(ids.interfaceNumber, 1);
  EXPECT_EQ(ids.collection, 2);
  EXPECT_EQ(NormalizeInterfacePath(kPath).find("vid_3c9a&pid_0a21&mi_01&col02"), 8u);
}

TEST(WinHidPaths, PartsOfOtherSegmentsAndBrokenIdsAreNotTaken) {
  InterfaceIds ids;
  // "&col" in the instance segment belongs to no collection.
  ASSERT_TRUE(ParseInterfaceIds("\\\\?\\hid#vid_04d9&pid_8010#1&col01&2#{x}", ids));
  EXPECT_FALSE(ids.interfaceNumber.has_value());
  EXPECT_FALSE(ids.collection.has_value());
  EXPECT_FALSE(ParseInterfaceIds("\\\\?\\hid#vid_04d&pid_8010#x", ids));
  EXPECT_FALSE(ParseInterfaceIds("\\\\?\\hid#vid_04d9", ids));
  EXPECT_FALSE(ParseInterfaceIds("\\\\?\\hid#{00001124-0000}_vid&0002046d_pid&b01a", ids));
}

}  // namespace
}  // namespace vexaro::hid::win
