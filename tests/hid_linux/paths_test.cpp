// Interface paths: what Open accepts is exactly what enumeration writes.
#include <gtest/gtest.h>

#include "platform/linux/hid_paths.h"

namespace vexaro::hid::hidraw {
namespace {

TEST(InterfacePaths, CarryLowerCaseIdsInterfaceAndCollectionAndReadBack) {
  InterfacePathParts parts{"/dev/hidraw3", 0x3C9A, 0x0A21, 1, 1};
  const std::string path = FormatInterfacePath(parts, 2);
  EXPECT_EQ(path, "/dev/hidraw3?vid_3c9a&pid_0a21&mi_01&col02");
  InterfacePathParts back;
  ASSERT_TRUE(ParseInterfacePath(path, back));
  EXPECT_EQ(back.devnode, "/dev/hidraw3");
  EXPECT_EQ(back.vendorId, 0x3C9A);
  EXPECT_EQ(back.productId, 0x0A21);
  EXPECT_EQ(back.interfaceNumber, 1);
  EXPECT_EQ(back.collection, 1u);
}

TEST(InterfacePaths, OmitCollectionForOneAndInterfaceOffUsb) {
  InterfacePathParts parts{"/dev/hidraw0", 0x046D, 0xC52B, kNoInterfaceNumber, 0};
  const std::string path = FormatInterfacePath(parts, 1);
  EXPECT_EQ(path, "/dev/hidraw0?vid_046d&pid_c52b");
  InterfacePathParts back;
  ASSERT_TRUE(ParseInterfacePath(path, back));
  EXPECT_EQ(back.interfaceNumber, kNoInterfaceNumber);
  EXPECT_EQ(back.collection, 0u);
}

TEST(InterfacePaths, RefuseWhatDoesNotNameAHidrawNode) {
  InterfacePathParts parts;
  for (const char* path :
       {"/dev/sda?vid_3c9a&pid_0a21", "/dev/hidraw1/../sda?vid_3c9a&pid_0a21",
        "/dev/hidraw?vid_3c9a&pid_0a21", "/dev/hidraw1", "/dev/hidraw1?vid_3c9a",
        "/dev/hidraw1?vid_3c9a&pid_0a21&col00", "/dev/hidraw1?vid_3c9a&pid_0a21&junk",
        "/dev/hidraw1?vid_13c9a&pid_0a21", "/dev/hidraw1?vid_zz&pid_0a21",
        "\\\\?\\hid#vid_3c9a&pid_0a21#sim&1#{4d1e55b2-f16f-11cf-88cb-001111000030}"}) {
    EXPECT_FALSE(ParseInterfacePath(path, parts)) << path;
  }
}

}  // namespace
}  // namespace vexaro::hid::hidraw
