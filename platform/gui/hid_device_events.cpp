// The one subscription that turns HID platform events into device-change and
// power messages.
#include "platform/gui/hid_device_events.h"

#include <cstdint>
#include <mutex>
#include <string>

#include "platform/sys/sys.h"

namespace vexaro::gui {
namespace {

struct Connection {
  std::mutex mutex;
  hid::SubscriptionId id = 0;  // 0: not connected
};

Connection& TheConnection() {
  static Connection* connection = new Connection;  // outlives static destruction
  return *connection;
}

// A path the record cannot hold whole (too long, or with a NUL inside) would
// reach the window as a different path; such an event is dropped instead.
bool PathFitsRecord(const std::string& path) {
  return !path.empty() && path.size() < kDeviceNameMax && path.find('\0') == std::string::npos;
}

void BroadcastInterfaceEvent(WPARAM event, const std::string& path) {
  if (!PathFitsRecord(path)) {
    sys::DebugOutput("HID device events: interface event with an empty or over-long path dropped");
    return;
  }
  BroadcastDeviceInterfaceEvent(event, kHidInterfaceClassGuid, path);
}

void Deliver(const hid::DeviceEvent& event) {
  switch (event.kind) {
    case hid::DeviceEventKind::kInterfaceArrival:
      BroadcastInterfaceEvent(DBT_DEVICEARRIVAL, event.path);
      break;
    case hid::DeviceEventKind::kInterfaceRemoval:
      BroadcastInterfaceEvent(DBT_DEVICEREMOVECOMPLETE, event.path);
      break;
    case hid::DeviceEventKind::kHandleRemoval:
      if (const void* handle = DeviceNotifyHandle(event.handle)) {
        BroadcastDeviceHandleEvent(DBT_DEVICEREMOVECOMPLETE, handle);
      }
      break;
    case hid::DeviceEventKind::kSuspend:
      BroadcastPowerEvent(PBT_APMSUSPEND);
      break;
    case hid::DeviceEventKind::kResume:
      BroadcastPowerEvent(PBT_APMRESUMEAUTOMATIC);
      break;
  }
}

}  // namespace

// Handles are never reused, so the value itself can stand for the handle;
// shifted by one so that handle 0 is not the null pointer.
const void* DeviceNotifyHandle(hid::Handle handle) {
  if (handle < 0 || static_cast<std::uint64_t>(handle) >= UINTPTR_MAX) return nullptr;
  return reinterpret_cast<const void*>(static_cast<std::uintptr_t>(handle) + 1);
}

hid::Handle HidHandleFromNotify(const void* notifyHandle) {
  const auto value = reinterpret_cast<std::uintptr_t>(notifyHandle);
  if (value == 0 || value - 1 > static_cast<std::uint64_t>(INT64_MAX)) return hid::kInvalidHandle;
  return static_cast<hid::Handle>(value - 1);
}

bool ConnectHidDeviceEvents() {
  Connection& c = TheConnection();
  std::lock_guard lock(c.mutex);
  if (c.id == 0) c.id = hid::SubscribeDeviceEvents(Deliver);
  return c.id != 0;
}

void DisconnectHidDeviceEvents() {
  Connection& c = TheConnection();
  std::lock_guard lock(c.mutex);
  if (c.id == 0) return;
  hid::UnsubscribeDeviceEvents(c.id);
  c.id = 0;
}

}  // namespace vexaro::gui
