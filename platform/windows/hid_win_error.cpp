// Windows error code to reason. ERROR_GEN_FAILURE is what the HID class
// driver turns a stalled request into; ERROR_INVALID_FUNCTION is a driver
// that has no such request at all.
#include "platform/windows/hid_win_error.h"

namespace vexaro::hid::win {
namespace {

std::string SystemText(DWORD code) {
  char buffer[256];
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                 code, 0, buffer, sizeof buffer, nullptr);
  std::string text(buffer, n);
  const std::size_t end = text.find_last_not_of(" .\r\n");
  text.resize(end == std::string::npos ? 0 : end + 1);
  return text.empty() ? "error " + std::to_string(code) : text;
}

}  // namespace

Reason ReasonOfWinError(DWORD code) {
  switch (code) {
    case ERROR_ACCESS_DENIED: return Reason::kPermissionDenied;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_BAD_UNIT: return Reason::kGone;
    case ERROR_SHARING_VIOLATION:
    case ERROR_BUSY: return Reason::kBusy;
    case ERROR_GEN_FAILURE:
    case ERROR_CRC: return Reason::kDeviceRefused;
    case ERROR_INVALID_FUNCTION:
    case ERROR_NOT_SUPPORTED: return Reason::kUnsupported;
    case ERROR_SEM_TIMEOUT:
    case WAIT_TIMEOUT: return Reason::kTimedOut;
    default: return Reason::kOther;
  }
}

Error WinError(DWORD code, const std::string& path) {
  return Error{ReasonOfWinError(code), static_cast<std::int64_t>(code), code != 0 ? SystemText(code) : "",
               path};
}

}  // namespace vexaro::hid::win
