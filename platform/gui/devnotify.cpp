// Registrations for device notifications and their delivery.
#include "platform/gui/devnotify.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/gui/internal/window_internal.h"

namespace vexaro::gui {
namespace {

struct Registration {
  HWND window = nullptr;
  DWORD type = 0;
  GUID cls;
  const void* handle = nullptr;
};

struct Registry {
  std::mutex m;
  std::map<std::uintptr_t, Registration> entries;
  std::uintptr_t next = 0x100;
};

Registry& Regs() {
  static Registry* r = new Registry;
  return *r;
}

}  // namespace

HDEVNOTIFY RegisterDeviceNotification(HWND recipient, const void* filter, DWORD flags) {
  if (!filter || flags != DEVICE_NOTIFY_WINDOW_HANDLE || !IsWindow(recipient)) return nullptr;
  DEV_BROADCAST_HDR hdr;
  std::memcpy(&hdr, filter, sizeof hdr);
  Registration reg;
  reg.window = recipient;
  reg.type = hdr.dbch_devicetype;
  if (hdr.dbch_devicetype == DBT_DEVTYP_DEVICEINTERFACE) {
    reg.cls = static_cast<const DEV_BROADCAST_DEVICEINTERFACE*>(filter)->dbcc_classguid;
  } else if (hdr.dbch_devicetype == DBT_DEVTYP_HANDLE) {
    reg.handle = static_cast<const DEV_BROADCAST_HANDLE*>(filter)->dbch_handle;
  } else {
    return nullptr;
  }
  Registry& r = Regs();
  std::lock_guard lock(r.m);
  const std::uintptr_t id = r.next++;
  r.entries[id] = reg;
  return reinterpret_cast<HDEVNOTIFY>(id);
}

BOOL UnregisterDeviceNotification(HDEVNOTIFY handle) {
  Registry& r = Regs();
  std::lock_guard lock(r.m);
  return r.entries.erase(reinterpret_cast<std::uintptr_t>(handle)) > 0 ? TRUE : FALSE;
}

void BroadcastDeviceInterfaceEvent(WPARAM event, const GUID& interface_class, std::string_view path) {
  std::vector<HWND> targets;
  {
    Registry& r = Regs();
    std::lock_guard lock(r.m);
    for (auto& [id, reg] : r.entries)
      if (reg.type == DBT_DEVTYP_DEVICEINTERFACE && reg.cls == interface_class) targets.push_back(reg.window);
  }
  for (HWND h : targets) {
    auto rec = std::make_shared<DEV_BROADCAST_DEVICEINTERFACE>();
    rec->dbcc_classguid = interface_class;
    const std::size_t n = std::min(path.size(), kDeviceNameMax - 1);  // longer paths are cut
    std::memcpy(rec->dbcc_name, path.data(), n);
    rec->dbcc_size = static_cast<DWORD>(offsetof(DEV_BROADCAST_DEVICEINTERFACE, dbcc_name) + n + 1);
    const auto l = reinterpret_cast<LPARAM>(rec.get());
    PostWithPayload(h, WM_DEVICECHANGE, event, l, std::move(rec));
  }
}

void BroadcastDeviceHandleEvent(WPARAM event, const void* handle) {
  std::vector<std::pair<HWND, HDEVNOTIFY>> targets;
  {
    Registry& r = Regs();
    std::lock_guard lock(r.m);
    for (auto& [id, reg] : r.entries)
      if (reg.type == DBT_DEVTYP_HANDLE && reg.handle == handle)
        targets.emplace_back(reg.window, reinterpret_cast<HDEVNOTIFY>(id));
  }
  for (auto& [h, note] : targets) {
    auto rec = std::make_shared<DEV_BROADCAST_HANDLE>();
    rec->dbch_size = sizeof(DEV_BROADCAST_HANDLE);
    rec->dbch_handle = handle;
    rec->dbch_hdevnotify = note;
    const auto l = reinterpret_cast<LPARAM>(rec.get());
    PostWithPayload(h, WM_DEVICECHANGE, event, l, std::move(rec));
  }
}

void BroadcastPowerEvent(WPARAM event) {
  std::vector<HWND> tops;
  {
    State& s = GetState();
    std::lock_guard lock(s.m);
    tops = s.topLevels;
  }
  for (HWND h : tops) PostMessage(h, WM_POWERBROADCAST, event, 0);
}

}  // namespace vexaro::gui
