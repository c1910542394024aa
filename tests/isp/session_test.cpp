// The session as an object of its own: a session of a test's making talks to
// the loader without touching the process-wide one, checks the buffers it is
// given against the ranges, and releases its device when it ends.
#include <vector>

#include "tests/isp/engine_fixture.h"

namespace vexaro::isp::testing {
namespace {

const DeviceIds kLoader{kLoaderVid, kLoaderPid, 0};

std::vector<std::uint8_t> BytePattern(std::size_t n) {
  std::vector<std::uint8_t> bytes(n);
  for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 1);
  return bytes;
}

TEST_F(EngineTest, ASessionOfItsOwnLeavesTheProcessWideOneAlone) {
  auto device = PlugLoader();
  Session session;
  ASSERT_TRUE(session.IsConnectedToDevice(kLoader));
  EXPECT_EQ(session.EraseMass(), Result::kOk);
  EXPECT_NE(session.WriteHandle(), hid::kInvalidHandle);
  EXPECT_EQ(TheEngine().WriteHandle(), hid::kInvalidHandle);
  const std::uint8_t key[4] = {1, 2, 3, 4};
  ASSERT_TRUE(session.SetCrcKey(key));
  EXPECT_EQ(session.CrcKey().size(), 4u);
  EXPECT_EQ(TheEngine().CrcKey().size(), kCrcKeySize);
}

TEST_F(EngineTest, SessionReleasesItsDeviceWhenItEnds) {
  auto device = PlugLoader();
  hid::Handle write = hid::kInvalidHandle;
  hid::Handle read = hid::kInvalidHandle;
  {
    Session session;
    ASSERT_TRUE(session.IsConnectedToDevice(kLoader));
    write = session.WriteHandle();
    read = session.ReadHandle();
  }
  // Closing a handle a second time fails.
  EXPECT_FALSE(hid::Close(write));
  EXPECT_FALSE(hid::Close(read));
}

TEST_F(EngineTest, BuffersShorterThanTheirRangeAreRefusedBeforeAnythingIsSent) {
  auto device = PlugLoader();
  Session session;
  const auto image = BytePattern(100);
  const AddressRange range{0x1000, 0x1000 + 100};  // 101 bytes
  EXPECT_EQ(session.Transfer(range, TransferMode::kProgram, image), Result::kInvalidArguments);
  std::vector<std::uint8_t> out(100);
  EXPECT_EQ(session.Read(range, out), Result::kInvalidArguments);
  EXPECT_EQ(session.Transfer({0x1000, 0x1000}, TransferMode::kVerify, image), Result::kInvalidArguments);
  EXPECT_TRUE(device->Writes().empty());
  // A buffer of exactly the range's size is taken: two reports, both acknowledged at the end.
  int n = 0;
  device->onCommand = [&n](const Report&, ScriptedDevice& d) {
    if (++n == 2) d.QueueStatus("OO");
  };
  EXPECT_EQ(session.Transfer({0x1000, 0x1000 + 99}, TransferMode::kProgram, image), Result::kOk);
  EXPECT_EQ(device->Commands().size(), 2u);
}

TEST_F(EngineTest, UserDataStopsBeforeAReportThatWouldOverrunTheBuffer) {
  auto device = PlugLoader();
  Session session;
  ASSERT_TRUE(session.IsConnectedToDevice(kLoader));
  for (int i = 0; i < 2; ++i) device->PushData(BytePattern(64));
  std::vector<std::uint8_t> buffer(64 + 63, 0xEE);
  EXPECT_EQ(session.GetUserData(buffer), 64);
  EXPECT_EQ(buffer[64], 0xEE);
}

TEST_F(EngineTest, NegativeUserDataCountReadsNothing) {
  auto device = PlugLoader();
  ASSERT_EQ(ISP_IsConnectedToDevice(kLoaderVid, kLoaderPid, 0), 1);
  device->PushData(BytePattern(64));
  std::vector<std::uint8_t> buffer(64);
  EXPECT_EQ(ISP_GetUserData(buffer.data(), -64), 0);
  EXPECT_EQ(ISP_GetUserData(buffer.data(), 64), 64);  // the report is still there
}

TEST_F(EngineTest, KeyBlockAboveSixtyFourBytesLeavesTheOldOne) {
  Session session;
  const std::vector<std::uint8_t> key(kCrcKeySize + 1, 0x5A);
  ASSERT_TRUE(session.SetCrcKey(std::span(key).first(8)));
  EXPECT_FALSE(session.SetCrcKey(key));
  EXPECT_EQ(session.CrcKey().size(), 8u);
}

}  // namespace
}  // namespace vexaro::isp::testing
