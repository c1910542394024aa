// GET_REPORT on a kernel without HIDIOCGINPUT: a socket refuses the ioctl as
// such a kernel does. The first refusal is kept for the process, so later
// calls fail at once without asking the kernel (shown on a descriptor that
// would fail otherwise). And the ioctl number the backend uses with headers
// that lack it is the kernel's own.
#include <gtest/gtest.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "platform/linux/hid_node.h"

namespace {
// What the system's headers say, before the fallback is tried without them.
constexpr unsigned long kHeaderNumbers[] = {HIDIOCGINPUT(1), HIDIOCGINPUT(65), HIDIOCGINPUT(4096)};
}  // namespace

#undef HIDIOCGINPUT
#include "platform/linux/hid_ioctl.h"

namespace vexaro::hid::hidraw {
namespace {

static_assert(HIDIOCGINPUT(1) == kHeaderNumbers[0]);
static_assert(HIDIOCGINPUT(65) == kHeaderNumbers[1]);
static_assert(HIDIOCGINPUT(4096) == kHeaderNumbers[2]);

class GetReportRefusal : public ::testing::Test {
 protected:
  void SetUp() override { ForgetGetReportRefusal(); }
  void TearDown() override { ForgetGetReportRefusal(); }
};

TEST_F(GetReportRefusal, TheFirstRefusalIsKeptAndLaterCallsDoNotAskTheKernel) {
  int fds[2];
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, fds), 0);
  std::uint8_t report[65] = {};
  EXPECT_FALSE(KernelRefusedGetReport());
  EXPECT_FALSE(GetNodeInputReport(fds[0], report, sizeof report));
  EXPECT_EQ(errno, ENOTTY);
  EXPECT_TRUE(KernelRefusedGetReport());
  errno = 0;
  EXPECT_FALSE(GetNodeInputReport(-1, report, sizeof report));  // the kernel would say EBADF
  EXPECT_EQ(errno, ENOTTY);
  ForgetGetReportRefusal();
  EXPECT_FALSE(GetNodeInputReport(-1, report, sizeof report));
  EXPECT_EQ(errno, EBADF);
  ::close(fds[0]);
  ::close(fds[1]);
}

TEST_F(GetReportRefusal, OtherFailuresAreNotTakenForAnOldKernel) {
  struct Case {
    const char* what;
    int fd;
    std::size_t length;
  };
  std::uint8_t report[65] = {};
  for (const Case& c : {Case{"not a descriptor", -1, sizeof report}, Case{"no length", -1, 0}}) {
    SCOPED_TRACE(c.what);
    EXPECT_FALSE(GetNodeInputReport(c.fd, report, c.length));
    EXPECT_FALSE(KernelRefusedGetReport());
  }
}

}  // namespace
}  // namespace vexaro::hid::hidraw
