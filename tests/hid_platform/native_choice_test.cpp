// A process that asks for the native HID backend gets it: on Linux the
// hidraw backend, on Windows the HID class driver (under wine, usually an
// empty bus), never a simulation.
#include <gtest/gtest.h>

#include "platform/hid/hid.h"

namespace vexaro::hid {
namespace {

TEST(NativeBackend, ChosenOnceAndNeverTheSimulation) {
  ASSERT_TRUE(SelectBackend(BackendKind::kNative));
  EXPECT_EQ(ActiveBackend(), BackendKind::kNative);
  EXPECT_FALSE(SelectBackend(BackendKind::kSimulated));
#ifdef _WIN32
  for (const std::string& path : EnumerateInterfaces()) {
    EXPECT_EQ(path.rfind("\\\\?\\hid#", 0), 0u) << path;
  }
  EXPECT_FALSE(IsInstallPending());
#else
  for (const std::string& path : EnumerateInterfaces()) {
    EXPECT_EQ(path.rfind("/dev/hidraw", 0), 0u) << path;
  }
#endif
  // A simulated bus's path names no device here.
  EXPECT_EQ(Open("\\\\?\\hid#vid_04d9&pid_8010#x", Access::kQuery), kInvalidHandle);
}

}  // namespace
}  // namespace vexaro::hid
