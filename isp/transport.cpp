// The session's lower layer: finding and opening the wanted device, the ready
// probe, status polls, data reports, and the connection operations.
#include <string>

#include "isp/prepare_bus.h"
#include "isp/protocol.h"
#include "isp/session.h"
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

// A status window that ran out while the device stalled every poll ended
// for want of an answer, which is what the caller needs to hear.
hid::Error PollFailure(hid::Error last, std::int64_t windowSeconds) {
  if (last.reason != hid::Reason::kDeviceRefused) return last;
  return {hid::Reason::kTimedOut, 0, "no status within " + std::to_string(windowSeconds) + " s", last.path};
}

bool PathHasIds(const std::string& path, const DeviceIds& ids) {
  return hid::PathNamesDevice(path, static_cast<std::uint16_t>(ids.vendorId),
                              static_cast<std::uint16_t>(ids.productId));
}

// An interface that refuses even a query is judged by the ids in its path;
// when they are the wanted ones, refused keeps why it would not open.
bool HasIds(const std::string& path, const DeviceIds& ids, hid::Error& refused) {
  hid::Handle query = hid::Open(path, hid::Access::kQuery);
  if (query == hid::kInvalidHandle) {
    if (PathHasIds(path, ids)) refused = hid::LastError();
    return false;
  }
  hid::Attributes attributes;
  bool read = hid::GetAttributes(query, attributes);
  hid::Close(query);
  return read && attributes.vendorId == ids.vendorId && attributes.productId == ids.productId;
}

}  // namespace

// Opens the matched interface for the session's three uses. Handles an
// earlier match left open are closed first, so repeated discoveries do not
// leak them.
void Session::OpenMatched(const std::string& path) {
  hid::WaitNoPendingInstall(kInstallWaitMs);
  state_.deviceError = {};
  state_.queryHandle = OpenForUse(path, hid::Access::kQuery);
  hid::Caps caps;
  if (hid::GetCaps(state_.queryHandle, caps)) {
    state_.inputReportByteLength = caps.inputReportByteLength;
    state_.outputReportByteLength = caps.outputReportByteLength;
  } else {
    state_.inputReportByteLength = 0;
    state_.outputReportByteLength = 0;
  }
  CloseIfOpen(state_.writeHandle);
  CloseIfOpen(state_.readHandle);
  state_.writeHandle = OpenForUse(path, hid::Access::kWrite);
  state_.readHandle = OpenForUse(path, hid::Access::kOverlappedRead);
}

hid::Handle Session::OpenForUse(const std::string& path, hid::Access access) {
  const hid::Handle handle = hid::Open(path, access);
  if (handle == hid::kInvalidHandle) NoteDeviceError(hid::LastError());
  return handle;
}

void Session::NoteDeviceError(hid::Error error) { state_.deviceError = std::move(error); }

bool Session::FindDevice() {
  PrepareBus();
  CloseIfOpen(state_.queryHandle);
  hid::Error refused;
  std::int32_t matches = 0;
  for (const std::string& path : hid::EnumerateInterfaces()) {
    if (!HasIds(path, state_.wanted, refused)) continue;
    if (matches == state_.wanted.index) {
      OpenMatched(path);
      return true;
    }
    ++matches;
  }
  NoteDeviceError(refused.Failed() ? refused
                                   : hid::Error{hid::Reason::kNotFound, 0, "no interface with the wanted ids", ""});
  return false;
}

bool Session::WriteCommandReport() {
  if (!hid::WriteReport(state_.writeHandle, state_.outputReport.data(), OutputLength())) {
    NoteDeviceError(hid::LastError());
    DropConnection();
    return false;
  }
  return true;
}

bool Session::GetInputReportOnce() {
  state_.inputReport[0] = protocol::kReportId;
  return hid::GetInputReport(state_.readHandle, state_.inputReport.data(), InputLength());
}

bool Session::ProbeDevice() {
  if (!state_.discovered) FindDevice();
  GetInputReportOnce();  // flush a stale status; its result does not matter
  if (state_.writeHandle == hid::kInvalidHandle) return false;
  BuildProbe(static_cast<std::uint32_t>(sys::NowSeconds()));
  if (!WriteCommandReport()) return false;
  if (!PollStatus(kProbeWindowSeconds, 0)) return false;
  return StatusIs(protocol::kProbeAnswer);
}

std::span<const std::uint8_t> Session::BuildProbe(std::uint32_t seed) {
  SeedRandom(seed);
  state_.outputReport.fill(0);
  state_.outputReport[protocol::kCommandOffset] = RandomProbeCommand();
  // The filler covers the device's input report length, whatever the output
  // report's; bytes beyond it keep the zeros written above.
  for (std::size_t i = protocol::kSubCommandOffset; i < InputLength(); ++i) {
    state_.outputReport[i] = RandomFiller();
  }
  SpoilProbeChecksum();
  return {state_.outputReport.data(), protocol::kLastReportByte + 1};
}

bool Session::ReadyToSend() { return ProbeDevice() && state_.writeHandle != hid::kInvalidHandle; }

// A handle whose device has left the bus fails every request, attribute
// queries included; a poll on it can never succeed.
bool Session::DeviceStillThere() {
  hid::Attributes attributes;
  return hid::GetAttributes(state_.readHandle, attributes);
}

// A poll that failed because the device went, or because the system cannot
// read a status at all, fails the same way however often it is repeated. A
// device found gone after a stalled poll makes that the failure: the wait
// ended for the removal, not for want of an answer.
bool Session::PollMayStillAnswer(hid::Error& failure) {
  if (failure.reason == hid::Reason::kGone || failure.reason == hid::Reason::kUnsupported) return false;
  if (DeviceStillThere()) return true;
  failure = hid::LastError();
  return false;
}

// Polls again at once after each failure while the device is there (the
// loader answers within microseconds of finishing), but gives the window up
// as soon as the device has gone, or the system cannot ask it, instead of
// spinning through it.
bool Session::PollStatus(std::int64_t windowSeconds, std::uint32_t pauseMs) {
  const std::int64_t t0 = sys::NowSeconds();
  bool arrived = GetInputReportOnce();
  hid::Error failure = hid::LastError();
  while (!arrived && sys::NowSeconds() - t0 <= windowSeconds && PollMayStillAnswer(failure)) {
    if (pauseMs != 0) sys::SleepMs(pauseMs);
    arrived = GetInputReportOnce();
    failure = hid::LastError();
  }
  if (!arrived) NoteDeviceError(PollFailure(std::move(failure), windowSeconds));
  return arrived;
}

std::string Session::StatusText() const {
  std::string text;
  for (std::size_t i = protocol::kDataOffset; i < InputLength(); ++i) {
    if (state_.inputReport[i] != 0) text.push_back(static_cast<char>(state_.inputReport[i]));
  }
  return text;
}

// Replies are judged by the whole text: one status character and nothing else.
bool Session::StatusIs(char status) const { return StatusText() == std::string(1, status); }

bool Session::ReadDataReport() {
  state_.inputReport[0] = protocol::kReportId;
  std::size_t got = 0;
  if (hid::ReadInputReport(state_.readHandle, state_.inputReport.data(), InputLength(),
                           kDataReportTimeoutMs, &got) == hid::ReadResult::kOk) {
    return true;
  }
  NoteDeviceError(hid::LastError());
  return false;
}

void Session::DropConnection() {
  CloseIfOpen(state_.queryHandle);
  CloseIfOpen(state_.writeHandle);
  CloseIfOpen(state_.readHandle);
  state_.discovered = false;
}

bool Session::IsConnectedToDevice(const DeviceIds& ids) {
  state_.wanted = ids;
  return FindDevice();
}

bool Session::CloseConnection() {
  bool queryClosed = false;
  CloseIfOpen(state_.readHandle);
  CloseIfOpen(state_.writeHandle);
  CloseIfOpen(state_.queryHandle, &queryClosed);
  return queryClosed;
}

}  // namespace vexaro::isp
