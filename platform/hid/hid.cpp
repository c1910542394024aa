// Forwards every HID operation to the backend chosen once per process.
#include "platform/hid/backend.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace vexaro::hid {
namespace {

struct Choice {
  std::mutex mutex;
  bool chosen = false;
  BackendKind kind = BackendKind::kNative;
  std::atomic<Backend*> backend{nullptr};
};

Choice& TheChoice() {
  static Choice choice;
  return choice;
}

Backend& Current() {
  Choice& c = TheChoice();
  if (Backend* b = c.backend.load(std::memory_order_acquire)) return *b;
  std::lock_guard lock(c.mutex);
  if (!c.chosen) {
    c.kind = SimulationAskedByEnvironment() ? BackendKind::kSimulated : BackendKind::kNative;
    c.chosen = true;
  }
  Backend* b = c.kind == BackendKind::kSimulated ? &SimulatedBackend() : &NativeBackend();
  c.backend.store(b, std::memory_order_release);
  return *b;
}

}  // namespace

bool SimulationAskedByEnvironment() {
  const char* text = std::getenv("VEXARO_SIM");
  return text != nullptr && std::strcmp(text, "1") == 0;
}

bool SelectBackend(BackendKind kind) {
  Choice& c = TheChoice();
  std::lock_guard lock(c.mutex);
  if (c.chosen) return c.kind == kind;
  c.kind = kind;
  c.chosen = true;
  return true;
}

BackendKind ActiveBackend() {
  Current();
  Choice& c = TheChoice();
  std::lock_guard lock(c.mutex);
  return c.kind;
}

std::vector<std::string> EnumerateInterfaces() { return Current().EnumerateInterfaces(); }
Handle Open(const std::string& path, Access access) { return Current().Open(path, access); }
bool Close(Handle handle) { return Current().Close(handle); }
bool GetAttributes(Handle handle, Attributes& attributes) {
  return Current().GetAttributes(handle, attributes);
}
bool GetCaps(Handle handle, Caps& caps) { return Current().GetCaps(handle, caps); }
bool WriteReport(Handle handle, const std::uint8_t* data, std::size_t length) {
  return Current().WriteReport(handle, data, length);
}
bool GetInputReport(Handle handle, std::uint8_t* data, std::size_t length) {
  return Current().GetInputReport(handle, data, length);
}
ReadResult ReadInputReport(Handle handle, std::uint8_t* data, std::size_t length,
                           std::uint32_t timeoutMs, std::size_t* bytesRead) {
  return Current().ReadInputReport(handle, data, length, timeoutMs, bytesRead);
}
bool CancelIo(Handle handle) { return Current().CancelIo(handle); }
bool IsInstallPending() { return Current().IsInstallPending(); }
bool WaitNoPendingInstall(std::uint32_t timeoutMs) {
  return Current().WaitNoPendingInstall(timeoutMs);
}
SubscriptionId SubscribeDeviceEvents(DeviceEventCallback callback) {
  return Current().Subscribe(std::move(callback));
}
void UnsubscribeDeviceEvents(SubscriptionId id) { Current().Unsubscribe(id); }

}  // namespace vexaro::hid
