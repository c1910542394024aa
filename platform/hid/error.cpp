// The reason names and the calling thread's last error, which every function
// of hid.h clears on entry and the backends fill when they fail.
#include "platform/hid/backend.h"

namespace vexaro::hid {
namespace {

// Objects destroyed at process exit run after the exiting thread's own
// storage is gone, and may still close handles: a thread whose slot is gone
// keeps no error instead of writing into freed memory. The flag is trivially
// destructible, so it stays readable to the end.
thread_local bool slotGone = false;

struct ErrorSlot {
  Error error;
  ~ErrorSlot() { slotGone = true; }
};

Error* ThreadError() {
  if (slotGone) return nullptr;
  thread_local ErrorSlot slot;
  return &slot.error;
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

Error LastError() {
  const Error* error = ThreadError();
  return error ? *error : Error{};
}

void SetThreadError(Error error) {
  if (Error* slot = ThreadError()) *slot = std::move(error);
}

void SetThreadError(Reason reason, std::string text, std::string path) {
  SetThreadError(Error{reason, 0, std::move(text), std::move(path)});
}

void ClearThreadError() { SetThreadError(Error{}); }

}  // namespace vexaro::hid
