// Version parts at the top of the 32-bit range: parts up to 2147483647 keep
// their own value, longer ones count as 2147483647.
#include <gtest/gtest.h>

#include "updater/controller.h"

namespace vexaro::updater {
namespace {

TEST(VersionLimits, PartsKeepTheirValueUpToTheLargest32BitNumber) {
  // The first parts differ by one; the later part would decide if they tied.
  EXPECT_TRUE(VersionAllowsUpdate("1.2147483646.9", "1.2147483647.1"));
  EXPECT_FALSE(VersionAllowsUpdate("1.2147483647.1", "1.2147483646.9"));
  // Beyond it every part counts the same, so the next part decides.
  EXPECT_TRUE(VersionAllowsUpdate("1.2147483648.1", "1.99999999999.2"));
  EXPECT_FALSE(VersionAllowsUpdate("1.99999999999.2", "1.2147483648.1"));
}

}  // namespace
}  // namespace vexaro::updater
