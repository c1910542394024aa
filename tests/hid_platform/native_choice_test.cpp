// A process that asks for the native HID backend gets it, and until the
// system's backend is written it is an empty bus rather than a simulation.
#include <gtest/gtest.h>

#include "platform/hid/hid.h"

namespace vexaro::hid {
namespace {

TEST(NativeBackend, ChosenOnceAndEmptyWithoutASystemBackend) {
  ASSERT_TRUE(SelectBackend(BackendKind::kNative));
  EXPECT_EQ(ActiveBackend(), BackendKind::kNative);
  EXPECT_FALSE(SelectBackend(BackendKind::kSimulated));
  EXPECT_TRUE(EnumerateInterfaces().empty());
  EXPECT_EQ(Open("\\\\?\\hid#vid_04d9&pid_8010#x", Access::kQuery), kInvalidHandle);
}

}  // namespace
}  // namespace vexaro::hid
