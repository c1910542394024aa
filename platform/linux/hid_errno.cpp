// errno to reason. EIO counts as gone: hidraw answers a device that was
// pulled out mid-transfer with it as often as with ENODEV.
#include "platform/linux/hid_errno.h"

#include <cerrno>
#include <cstring>

namespace vexaro::hid::hidraw {

Reason ReasonOfErrno(int error, NodeCall call) {
  switch (error) {
    case 0: return Reason::kOther;
    case EACCES:
    case EPERM: return Reason::kPermissionDenied;
    case ENODEV:
    case ENXIO:
    case EIO:
    case ENOENT:
    case ESHUTDOWN: return Reason::kGone;
    case EBUSY: return Reason::kBusy;
    case EPIPE: return Reason::kDeviceRefused;
    case ETIMEDOUT: return Reason::kTimedOut;
    case ENOSYS: return Reason::kUnsupported;
    case ENOTTY:
    case EINVAL: return call == NodeCall::kGetInputReport ? Reason::kUnsupported : Reason::kOther;
    default: return Reason::kOther;
  }
}

Error ErrnoError(int error, NodeCall call, const std::string& devnode) {
  return Error{ReasonOfErrno(error, call), error, error != 0 ? std::strerror(error) : "", devnode};
}

}  // namespace vexaro::hid::hidraw
