// errno to reason, per system call. (A refused open is in the backend's
// tests, under umockdev; a kernel without HIDIOCGINPUT in
// get_report_refusal_test.cpp and engine_wait_test.cpp.)
#include <gtest/gtest.h>

#include <cerrno>

#include "platform/linux/hid_errno.h"

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

}  // namespace
}  // namespace vexaro::hid::hidraw
