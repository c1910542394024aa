// Forwards every HID operation to the backend chosen once per process.
#include "platform/hid/backend.h"
#include "platform/hid/port_view.h"

#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

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

// A failure whose backend gave no reason still leaves one, so that a failed
// call never reads as kNone.
bool Checked(bool ok) {
  if (!ok && !LastError().Failed()) SetThreadError(Reason::kOther, "", "");
  return ok;
}

Handle Checked(Handle handle, const std::string& path) {
  if (handle == kInvalidHandle && !LastError().Failed()) SetThreadError(Reason::kOther, "", path);
  return handle;
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

bool PathNamesDevice(const std::string& path, std::uint16_t vendorId, std::uint16_t productId) {
  char ids[24];
  std::snprintf(ids, sizeof ids, "vid_%04x&pid_%04x", static_cast<unsigned>(vendorId),
                static_cast<unsigned>(productId));
  std::string lower = path;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower.find(ids) != std::string::npos;
}

std::vector<std::string> EnumerateInterfaces() {
  ClearThreadError();
  Backend& backend = Current();
  return VisibleInterfaces(backend, backend.EnumerateInterfaces());
}
std::string PortOf(const std::string& path) { return Current().PortOf(path); }
Handle Open(const std::string& path, Access access) {
  ClearThreadError();
  return Checked(Current().Open(path, access), path);
}
bool Close(Handle handle) {
  ClearThreadError();
  return Checked(Current().Close(handle));
}
bool GetAttributes(Handle handle, Attributes& attributes) {
  ClearThreadError();
  return Checked(Current().GetAttributes(handle, attributes));
}
bool GetCaps(Handle handle, Caps& caps) {
  ClearThreadError();
  return Checked(Current().GetCaps(handle, caps));
}
bool WriteReport(Handle handle, const std::uint8_t* data, std::size_t length) {
  ClearThreadError();
  return Checked(Current().WriteReport(handle, data, length));
}
bool GetInputReport(Handle handle, std::uint8_t* data, std::size_t length) {
  ClearThreadError();
  return Checked(Current().GetInputReport(handle, data, length));
}
ReadResult ReadInputReport(Handle handle, std::uint8_t* data, std::size_t length,
                           std::uint32_t timeoutMs, std::size_t* bytesRead) {
  ClearThreadError();
  const ReadResult result = Current().ReadInputReport(handle, data, length, timeoutMs, bytesRead);
  if (result == ReadResult::kTimedOut) {
    SetThreadError(Reason::kTimedOut, "no input report within " + std::to_string(timeoutMs) + " ms", "");
  } else if (result == ReadResult::kCancelled) {
    ClearThreadError();  // asked for, not a failure
  }
  Checked(result != ReadResult::kFailed);
  return result;
}
bool CancelIo(Handle handle) {
  ClearThreadError();
  return Checked(Current().CancelIo(handle));
}
bool IsInstallPending() { return Current().IsInstallPending(); }
bool WaitNoPendingInstall(std::uint32_t timeoutMs) {
  return Current().WaitNoPendingInstall(timeoutMs);
}
SubscriptionId SubscribeDeviceEvents(DeviceEventCallback callback) {
  Backend& backend = Current();
  return backend.Subscribe([&backend, callback = std::move(callback)](const DeviceEvent& event) {
    if (EventVisible(backend, event)) callback(event);
  });
}
void UnsubscribeDeviceEvents(SubscriptionId id) { Current().Unsubscribe(id); }

}  // namespace vexaro::hid
