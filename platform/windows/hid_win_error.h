// The reasons behind the Windows error codes of HID calls, and the error
// record for a failed call with the system's own message.
#pragma once

#include <windows.h>

#include <string>

#include "platform/hid/error.h"

namespace vexaro::hid::win {

Reason ReasonOfWinError(DWORD code);
// The reason with FormatMessage's text for code, about the interface path.
Error WinError(DWORD code, const std::string& path);

}  // namespace vexaro::hid::win
