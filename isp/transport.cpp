// The engine's lower layer: finding and opening the wanted device, the ready
// probe, status polls, data reports, and the connection functions of the
// exported interface.
#include "isp/engine.h"
#include "isp/isp_api.h"
#include "platform/sys/sys.h"

namespace vexaro::isp {
namespace {

// The system may still be installing the driver of a device it just found;
// opening it for I/O before that is over fails, so the match waits for it.
constexpr std::uint32_t kInstallWaitMs = 120000;
// The loader answers the ready probe within this window, or never.
constexpr std::int64_t kProbeWindowSeconds = 30;
// How long one data report may take to arrive.
constexpr std::uint32_t kDataReportTimeoutMs = 5000;

void CloseIfOpen(hid::Handle& handle, bool* closed = nullptr) {
  bool ok = handle != hid::kInvalidHandle && hid::Close(handle);
  if (closed != nullptr) *closed = ok;
  handle = hid::kInvalidHandle;
}

// Opens the matched interface for the engine's three uses. Handles an earlier
// match left open are closed first, so repeated discoveries do not leak them.
void OpenMatched(const std::string& path) {
  IspEngine& e = Engine();
  hid::WaitNoPendingInstall(kInstallWaitMs);
  e.queryHandle = hid::Open(path, hid::Access::kQuery);
  hid::Caps caps;
  if (hid::GetCaps(e.queryHandle, caps)) {
    e.inputReportByteLength = caps.inputReportByteLength;
    e.outputReportByteLength = caps.outputReportByteLength;
  } else {
    e.inputReportByteLength = 0;
    e.outputReportByteLength = 0;
  }
  CloseIfOpen(e.writeHandle);
  CloseIfOpen(e.readHandle);
  e.writeHandle = hid::Open(path, hid::Access::kWrite);
  e.readHandle = hid::Open(path, hid::Access::kOverlappedRead);
}

bool GetInputReportOnce() {
  IspEngine& e = Engine();
  e.inputReport[0] = 0;
  return hid::GetInputReport(e.readHandle, e.inputReport.data(), InputLength());
}

}  // namespace

bool FindDevice() {
  PrepareBus();
  IspEngine& e = Engine();
  CloseIfOpen(e.queryHandle);
  int matches = 0;
  for (const std::string& path : hid::EnumerateInterfaces()) {
    hid::Handle query = hid::Open(path, hid::Access::kQuery);
    if (query == hid::kInvalidHandle) continue;
    hid::Attributes attributes;
    bool read = hid::GetAttributes(query, attributes);
    hid::Close(query);
    if (!read || attributes.vendorId != e.vendorId || attributes.productId != e.productId) {
      continue;
    }
    if (matches == e.deviceIndex) {
      OpenMatched(path);
      return true;
    }
    ++matches;
  }
  return false;
}

bool WriteCommandReport() {
  IspEngine& e = Engine();
  if (!hid::WriteReport(e.writeHandle, e.outputReport.data(), OutputLength())) {
    DropConnection();
    return false;
  }
  return true;
}

bool ProbeDevice() {
  IspEngine& e = Engine();
  if (!e.discovered) FindDevice();
  GetInputReportOnce();  // flush a stale status; its result does not matter
  if (e.writeHandle == hid::kInvalidHandle) return false;
  SeedRandom(static_cast<std::uint32_t>(sys::NowSeconds()));
  e.outputReport.fill(0);
  e.outputReport[1] = RandomProbeCommand();
  // The filler covers the device's input report length, whatever the output
  // report's; bytes beyond it keep the zeros written above.
  for (std::size_t i = 2; i < InputLength(); ++i) {
    e.outputReport[i] = RandomFiller();
  }
  if (!WriteCommandReport()) return false;
  if (!PollStatus(kProbeWindowSeconds, 0)) return false;
  return StatusText() == "F";
}

namespace {
// A handle whose device has left the bus fails every request, attribute
// queries included; a poll on it can never succeed.
bool DeviceStillThere() {
  hid::Attributes attributes;
  return hid::GetAttributes(Engine().readHandle, attributes);
}
}  // namespace

// Polls again at once after each failure while the device is there (the
// loader answers within microseconds of finishing), but gives the window up
// as soon as the device has gone instead of spinning through it.
bool PollStatus(std::int64_t windowSeconds, std::uint32_t pauseMs) {
  const std::int64_t t0 = sys::NowSeconds();
  bool arrived = GetInputReportOnce();
  while (!arrived && sys::NowSeconds() - t0 <= windowSeconds && DeviceStillThere()) {
    if (pauseMs != 0) sys::SleepMs(pauseMs);
    arrived = GetInputReportOnce();
  }
  return arrived;
}

std::string StatusText() {
  const IspEngine& e = Engine();
  std::string text;
  for (std::size_t i = 1; i < InputLength(); ++i) {
    if (e.inputReport[i] != 0) text.push_back(static_cast<char>(e.inputReport[i]));
  }
  return text;
}

bool ReadDataReport() {
  IspEngine& e = Engine();
  e.inputReport[0] = 0;
  std::size_t got = 0;
  return hid::ReadInputReport(e.readHandle, e.inputReport.data(), InputLength(),
                              kDataReportTimeoutMs, &got) == hid::ReadResult::kOk;
}

void DropConnection() {
  IspEngine& e = Engine();
  CloseIfOpen(e.queryHandle);
  CloseIfOpen(e.writeHandle);
  CloseIfOpen(e.readHandle);
  e.discovered = false;
}

}  // namespace vexaro::isp

using namespace vexaro::isp;

extern "C" {

int32_t ISP_IsConnectedToDevice(int32_t vendorId, int32_t productId, int32_t index) {
  IspEngine& e = Engine();
  e.vendorId = vendorId;
  e.productId = productId;
  e.deviceIndex = index;
  return FindDevice() ? 1 : 0;
}

int32_t ISP_CloseSerialPortConnect(void) {
  IspEngine& e = Engine();
  bool queryClosed = false;
  CloseIfOpen(e.readHandle);
  CloseIfOpen(e.writeHandle);
  CloseIfOpen(e.queryHandle, &queryClosed);
  return queryClosed ? 1 : 0;
}

int32_t ISP_SetupSerialPortConnection(void) { return 0; }

int32_t ISP_SendAuthentication(void) { return 1; }

}  // extern "C"
