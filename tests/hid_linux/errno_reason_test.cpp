// errno to reason, per system call, and the errno each node call leaves when
// it fails: a socket stands in for a node whose kernel has no HIDIOCGINPUT.
// (A refused open is in the backend's tests, under umockdev.)
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/linux/hid_errno.h"
#include "platform/linux/hid_node.h"

namespace vexaro::hid::hidraw {
namespace {

TEST(ErrnoReason, EachErrnoGivesItsReasonForEachCall) {
  struct Case {
    int error;
    NodeCall call;
    Reason reason;
  };
  const Case cases[] = {
      {EACCES, NodeCall::kOpen, Reason::kPermissionDenied},
      {EPERM, NodeCall::kOpen, Reason::kPermissionDenied},
      {ENODEV, NodeCall::kWrite, Reason::kGone},
      {EIO, NodeCall::kWrite, Reason::kGone},
      {ENXIO, NodeCall::kOpen, Reason::kGone},
      {ENOENT, NodeCall::kOpen, Reason::kGone},
      {ESHUTDOWN, NodeCall::kRead, Reason::kGone},
      {EBUSY, NodeCall::kOpen, Reason::kBusy},
      {ENOTTY, NodeCall::kGetInputReport, Reason::kUnsupported},
      {EINVAL, NodeCall::kGetInputReport, Reason::kUnsupported},
      {ENOSYS, NodeCall::kGetInputReport, Reason::kUnsupported},
      {ENOTTY, NodeCall::kDescriptor, Reason::kOther},
      {EINVAL, NodeCall::kWrite, Reason::kOther},
      {EPIPE, NodeCall::kGetInputReport, Reason::kDeviceRefused},
      {ETIMEDOUT, NodeCall::kWrite, Reason::kTimedOut},
      {EMSGSIZE, NodeCall::kGetInputReport, Reason::kOther},
      {0, NodeCall::kRead, Reason::kOther},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReasonOfErrno(c.error, c.call), c.reason) << "errno " << c.error;
  }
}

TEST(ErrnoReason, TheErrorCarriesTheSystemTextCodeAndNode) {
  const Error e = ErrnoError(EACCES, NodeCall::kOpen, "/dev/hidraw3");
  EXPECT_EQ(e.reason, Reason::kPermissionDenied);
  EXPECT_EQ(e.systemCode, EACCES);
  EXPECT_EQ(e.systemText, std::strerror(EACCES));
  EXPECT_EQ(e.path, "/dev/hidraw3");
}

TEST(NodeErrno, GetReportOnANodeWithoutTheIoctlReadsAsUnsupported) {
  int fds[2];
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, fds), 0);
  std::uint8_t report[65] = {1};
  errno = 0;
  EXPECT_FALSE(GetNodeInputReport(fds[0], report, sizeof report));
  EXPECT_EQ(ReasonOfErrno(errno, NodeCall::kGetInputReport), Reason::kUnsupported);
  errno = 0;
  EXPECT_FALSE(GetNodeInputReport(fds[0], report, 0));  // our mistake, not the kernel's
  EXPECT_EQ(ReasonOfErrno(errno, NodeCall::kGetInputReport), Reason::kOther);
  ::close(fds[1]);
  std::size_t got = 0;
  EXPECT_EQ(ReadNodeReport(fds[0], -1, true, report, sizeof report, 0, &got), ReadResult::kFailed);
  EXPECT_EQ(ReasonOfErrno(errno, NodeCall::kRead), Reason::kGone);
  ::close(fds[0]);
}

}  // namespace
}  // namespace vexaro::hid::hidraw
