// The native HID backend of Windows over a table of system functions: the
// process's backend runs on the system's own table; tests build one over a
// table that answers for devices of their own.
#pragma once

#include <memory>

#include "platform/hid/backend.h"
#include "platform/windows/hid_win_api.h"

namespace vexaro::hid::win {

// The table must outlive the backend. The backend's notification thread, once
// started by the first subscription, runs to the end of the process, so a
// backend that has had subscribers must never be destroyed.
std::unique_ptr<Backend> MakeWindowsHidBackend(const WinHidApi& api);

}  // namespace vexaro::hid::win
