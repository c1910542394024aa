// What a HID backend implements: every operation of hid.h, for one kind of
// bus. hid.cpp forwards to the backend chosen at start-up; nothing above the
// platform seam sees this header.
#pragma once

#include "platform/hid/hid.h"

namespace vexaro::hid {

class Backend {
 public:
  virtual ~Backend() = default;
  virtual std::vector<std::string> EnumerateInterfaces() = 0;
  virtual std::string PortOf(const std::string& path) = 0;
  virtual Handle Open(const std::string& path, Access access) = 0;
  virtual bool Close(Handle handle) = 0;
  virtual bool GetAttributes(Handle handle, Attributes& attributes) = 0;
  virtual bool GetCaps(Handle handle, Caps& caps) = 0;
  virtual bool WriteReport(Handle handle, const std::uint8_t* data, std::size_t length) = 0;
  virtual bool GetInputReport(Handle handle, std::uint8_t* data, std::size_t length) = 0;
  virtual ReadResult ReadInputReport(Handle handle, std::uint8_t* data, std::size_t length,
                                     std::uint32_t timeoutMs, std::size_t* bytesRead) = 0;
  virtual bool CancelIo(Handle handle) = 0;
  virtual bool IsInstallPending() = 0;
  virtual bool WaitNoPendingInstall(std::uint32_t timeoutMs) = 0;
  virtual SubscriptionId Subscribe(DeviceEventCallback callback) = 0;
  virtual void Unsubscribe(SubscriptionId id) = 0;
};

// What the backends call when an operation fails: the reason for the
// calling thread's LastError (hid.cpp clears it before each call).
void SetThreadError(Error error);
void SetThreadError(Reason reason, std::string text, std::string path);
void ClearThreadError();

// The system's own HID service (defined by the platform's backend source).
Backend& NativeBackend();
// The simulated bus (platform/sim).
Backend& SimulatedBackend();

}  // namespace vexaro::hid
