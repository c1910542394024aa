// The reason names and the calling thread's last error, which every function
// of hid.h clears on entry and the backends fill when they fail.
#include "platform/hid/backend.h"

namespace vexaro::hid {
namespace {

Error& ThreadError() {
  thread_local Error error;
  return error;
}

}  // namespace

const char* ReasonName(Reason reason) {
  switch (reason) {
    case Reason::kNone: return "no error";
    case Reason::kNotFound: return "not found";
    case Reason::kPermissionDenied: return "permission denied";
    case Reason::kGone: return "device gone";
    case Reason::kBusy: return "busy, held by another program";
    case Reason::kUnsupported: return "not supported by the system";
    case Reason::kDeviceRefused: return "refused by the device";
    case Reason::kTimedOut: return "timed out";
    case Reason::kOther: return "failed";
  }
  return "failed";
}

std::string Describe(const Error& error) {
  std::string line = error.path.empty() ? std::string{} : error.path + ": ";
  line += ReasonName(error.reason);
  if (!error.systemText.empty()) line += " (" + error.systemText + ")";
  return line;
}

Error LastError() { return ThreadError(); }

void SetThreadError(Error error) { ThreadError() = std::move(error); }

void SetThreadError(Reason reason, std::string text, std::string path) {
  SetThreadError(Error{reason, 0, std::move(text), std::move(path)});
}

void ClearThreadError() { ThreadError() = Error{}; }

}  // namespace vexaro::hid
