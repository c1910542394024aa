// The hidden notification window and its thread.
#include "platform/windows/hid_win_notify.h"

#include <dbt.h>

#include <cstddef>
#include <cstring>

#include "platform/sys/codepage.h"
#include "platform/sys/sys.h"
#include "platform/windows/hid_win_api.h"
#include "platform/windows/hid_win_paths.h"

namespace vexaro::hid::win {
namespace {

// Private message: release the registration in lParam.
constexpr UINT kReleaseRegistration = WM_APP + 1;

// The module this code is linked into (the program or the DLL), so that the
// window class belongs to it and two copies in one process do not collide.
HINSTANCE OwnModule() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&OwnModule), &module);
  return module;
}

LRESULT CALLBACK NotifyWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<NotifyWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (self != nullptr) return self->Handle(message, wParam, lParam);
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

// The opened handle a DEV_BROADCAST_HANDLE names, its stated size checked.
bool HandleFromBroadcast(const void* record, HANDLE& file) {
  DEV_BROADCAST_HDR header;
  std::memcpy(&header, record, sizeof header);
  if (header.dbch_devicetype != DBT_DEVTYP_HANDLE ||
      header.dbch_size < offsetof(DEV_BROADCAST_HANDLE, dbch_handle) + sizeof(HANDLE))
    return false;
  std::memcpy(&file, static_cast<const char*>(record) + offsetof(DEV_BROADCAST_HANDLE, dbch_handle),
              sizeof file);
  return true;
}

}  // namespace

bool NotifyWindow::Start(NotifyHandlers handlers) {
  std::unique_lock lock(mutex_);
  if (!started_) {
    started_ = true;
    handlers_ = std::move(handlers);
    thread_ = std::thread([this] { Run(); });
    thread_.detach();  // runs as long as the process: the system may notify at any time
  }
  ready_.wait(lock, [this] { return finished_; });
  return window_ != nullptr;
}

bool NotifyWindow::CreateAndRegister() {
  const HINSTANCE module = OwnModule();
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = NotifyWndProc;
  windowClass.hInstance = module;
  windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  windowClass.lpszClassName = kClassName;
  if (RegisterClassA(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
  // A hidden top-level window: power broadcasts reach top-level windows only.
  HWND hwnd = CreateWindowExA(0, kClassName, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, module, nullptr);
  if (hwnd == nullptr) {
    // Without a desktop (a service, or wine without a display) only a
    // message-only window can be made: device notifications still reach it,
    // suspend and resume do not.
    hwnd = CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, module, nullptr);
    if (hwnd == nullptr) return false;
    sys::DebugOutput("hid: no desktop; device notifications without suspend and resume");
  }
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  DEV_BROADCAST_DEVICEINTERFACE_A filter{};
  filter.dbcc_size = sizeof filter;
  filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  SystemWinHidApi().HidD_GetHidGuid(&filter.dbcc_classguid);
  if (RegisterDeviceNotificationA(hwnd, &filter, DEVICE_NOTIFY_WINDOW_HANDLE) == nullptr) {
    // Arrivals and removals of interfaces will not be seen; handles still are.
    sys::DebugOutput("hid: RegisterDeviceNotificationA for HID interfaces failed: " +
                     sys::LastErrorText());
  }
  window_ = hwnd;
  return true;
}

void NotifyWindow::Run() {
  const bool created = CreateAndRegister();
  {
    std::lock_guard lock(mutex_);
    finished_ = true;
  }
  ready_.notify_all();
  if (!created) {
    sys::DebugOutput("hid: the device notification window could not be created");
    return;
  }
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
}

HDEVNOTIFY NotifyWindow::WatchHandle(HANDLE file) {
  if (window_ == nullptr) return nullptr;
  DEV_BROADCAST_HANDLE filter{};
  filter.dbch_size = sizeof filter;
  filter.dbch_devicetype = DBT_DEVTYP_HANDLE;
  filter.dbch_handle = file;
  return RegisterDeviceNotificationA(window_, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
}

void NotifyWindow::ReleaseLater(HDEVNOTIFY registration) {
  if (registration == nullptr) return;
  if (window_ == nullptr ||
      !PostMessageA(window_, kReleaseRegistration, 0, reinterpret_cast<LPARAM>(registration)))
    UnregisterDeviceNotification(registration);
}

LRESULT NotifyWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DEVICECHANGE:
      if (lParam != 0) OnDeviceChange(wParam, reinterpret_cast<const void*>(lParam));
      return TRUE;
    case WM_POWERBROADCAST:
      OnPower(wParam);
      return TRUE;
    case kReleaseRegistration:
      UnregisterDeviceNotification(reinterpret_cast<HDEVNOTIFY>(lParam));
      return 0;
    default:
      return DefWindowProcA(window_, message, wParam, lParam);
  }
}

void NotifyWindow::OnDeviceChange(WPARAM event, const void* record) {
  if (event != DBT_DEVICEARRIVAL && event != DBT_DEVICEREMOVECOMPLETE) return;
  const bool arrived = event == DBT_DEVICEARRIVAL;
  std::string path;
  HANDLE file = nullptr;
  if (PathFromInterfaceBroadcast(record, path)) {
    if (handlers_.interfaceChanged) handlers_.interfaceChanged(arrived, NormalizeInterfacePath(path));
  } else if (!arrived && HandleFromBroadcast(record, file)) {
    if (handlers_.handleRemoved) handlers_.handleRemoved(file);
  }
}

// Windows tells of one resume up to three ways (critical, automatic, and
// suspend when a user is there); the backend reports one resume per suspend.
void NotifyWindow::OnPower(WPARAM event) {
  if (event == PBT_APMSUSPEND && !suspended_) {
    suspended_ = true;
    if (handlers_.power) handlers_.power(true);
    return;
  }
  const bool resume = event == PBT_APMRESUMEAUTOMATIC || event == PBT_APMRESUMESUSPEND ||
                      event == PBT_APMRESUMECRITICAL || event == PBT_APMQUERYSUSPENDFAILED;
  if (resume && suspended_) {
    suspended_ = false;
    if (handlers_.power) handlers_.power(false);
  }
}

}  // namespace vexaro::hid::win
