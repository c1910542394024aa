// Device-change and power notifications for windows. Windows register for
// the arrival and removal of device interfaces of a class, or for the removal
// of an opened device handle; the HID platform reports such events through the
// Broadcast functions, which deliver WM_DEVICECHANGE and WM_POWERBROADCAST to
// the windows' threads.
#pragma once

#include <string_view>

#include "platform/gui/types.h"

namespace vexaro::gui {

struct GUID {
  std::uint32_t Data1 = 0;
  std::uint16_t Data2 = 0;
  std::uint16_t Data3 = 0;
  std::uint8_t Data4[8] = {};
  bool operator==(const GUID&) const = default;
};

constexpr WPARAM DBT_DEVNODES_CHANGED = 0x0007, DBT_DEVICEARRIVAL = 0x8000,
                 DBT_DEVICEQUERYREMOVE = 0x8001, DBT_DEVICEREMOVEPENDING = 0x8003,
                 DBT_DEVICEREMOVECOMPLETE = 0x8004;
constexpr DWORD DBT_DEVTYP_DEVICEINTERFACE = 5, DBT_DEVTYP_HANDLE = 6;
constexpr WPARAM PBT_APMQUERYSUSPEND = 0, PBT_APMQUERYSUSPENDFAILED = 2, PBT_APMSUSPEND = 4,
                 PBT_APMRESUMECRITICAL = 6, PBT_APMRESUMESUSPEND = 7,
                 PBT_APMRESUMEAUTOMATIC = 0x12;
constexpr DWORD DEVICE_NOTIFY_WINDOW_HANDLE = 0;

struct DEV_BROADCAST_HDR {
  DWORD dbch_size = 0;
  DWORD dbch_devicetype = 0;
  DWORD dbch_reserved = 0;
};

constexpr std::size_t kDeviceNameMax = 512;

struct DEV_BROADCAST_DEVICEINTERFACE {
  DWORD dbcc_size = 0;
  DWORD dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  DWORD dbcc_reserved = 0;
  GUID dbcc_classguid;
  char dbcc_name[kDeviceNameMax] = {};  // the interface path, NUL-terminated
};

struct DEV_BROADCAST_HANDLE {
  DWORD dbch_size = 0;
  DWORD dbch_devicetype = DBT_DEVTYP_HANDLE;
  DWORD dbch_reserved = 0;
  const void* dbch_handle = nullptr;
  HDEVNOTIFY dbch_hdevnotify = nullptr;
};

// filter: a DEV_BROADCAST_DEVICEINTERFACE (class to watch) or a
// DEV_BROADCAST_HANDLE (handle to watch). nullptr for a bad filter or window.
HDEVNOTIFY RegisterDeviceNotification(HWND recipient, const void* filter, DWORD flags);
BOOL UnregisterDeviceNotification(HDEVNOTIFY handle);

// Entry points for the HID platform. Each delivers its message asynchronously
// (posted to each registered window's thread, the record valid while the
// window handles it); they never block on a window.
// Arrival or removal of an interface of a class, with its path.
void BroadcastDeviceInterfaceEvent(WPARAM event, const GUID& interface_class, std::string_view path);
// Removal (or query/pending removal) of an opened device handle.
void BroadcastDeviceHandleEvent(WPARAM event, const void* handle);
// Suspend, resume and the like: to every top-level window.
void BroadcastPowerEvent(WPARAM event);

}  // namespace vexaro::gui
