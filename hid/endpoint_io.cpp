// The reader thread of an endpoint, its shutdown, and the write and
// GET_REPORT paths of the monitor's slot functions.
#include <algorithm>
#include <cstring>

#include "hid/endpoint.h"
#include "platform/sys/sys.h"

namespace vexaro::usb {
namespace {

// The reader's pause between reads: it keeps a reader whose device has gone
// (every read fails at once) from spinning, and is where a suspended monitor's
// readers idle.
constexpr std::uint32_t kReaderPauseMs = 10;
// A cancel only reaches a read that has started; a stop that came just before
// the read began is repeated after this long until the reader has ended.
constexpr std::uint64_t kCancelRetryMs = 10;
// Reports are handed to the callback in a buffer of this size; longer ones are cut.
constexpr std::size_t kCallbackBufferBytes = 1000;

void MarkExited(HID_ENDPOINT* ep) {
  std::lock_guard lock(ep->readerLock);
  ep->readerExited = true;
  ep->readerCv.notify_all();
}

}  // namespace

void ReaderThreadProc(HID_ENDPOINT* ep) {
  while (!ep->stopReader.load()) {
    sys::SleepMs(kReaderPauseMs);
    if (ep->stopReader.load()) break;
    if (!ep->suspended->load()) ReadReportOnce(ep);
  }
  MarkExited(ep);
}

void ReadReportOnce(HID_ENDPOINT* ep) {
  HID_COLLECTION& c = ep->collection;
  if (c.handle == hid::kInvalidHandle || c.input.buffer.empty()) return;
  std::size_t count = 0;
  const hid::ReadResult r = hid::ReadInputReport(c.handle, c.input.buffer.data(), c.input.buffer.size(),
                                                 hid::kNoTimeLimit, &count);
  if (r != hid::ReadResult::kOk || count == 0 || ep->callback == nullptr) return;
  std::uint8_t report[kCallbackBufferBytes] = {};
  const std::size_t n = std::min(c.input.buffer.size(), kCallbackBufferBytes);
  std::memcpy(report, c.input.buffer.data(), n);
  ep->callback(ep->wDeviceID, report, static_cast<std::uint32_t>(n));
}

bool StartReader(HID_ENDPOINT* ep) {
  ep->stopReader = false;
  ep->readerExited = false;
  try {
    ep->reader = std::thread(ReaderThreadProc, ep);
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

int StopReader(HID_ENDPOINT* ep) {
  if (!ep->reader.joinable()) return 1;
  ep->stopReader = true;
  std::unique_lock lock(ep->readerLock);
  while (!ep->readerExited) {
    if (ep->collection.handle != hid::kInvalidHandle) hid::CancelIo(ep->collection.handle);
    ep->readerCv.wait_for(lock, sys::RealDuration(kCancelRetryMs));
  }
  lock.unlock();
  ep->reader.join();
  return 1;
}

HID_ENDPOINT* FindEndpoint(const EndpointList& list, std::uint16_t deviceId) {
  if (deviceId == 0) return nullptr;
  for (const auto& ep : list) {
    if (ep->wDeviceID == deviceId) return ep.get();
  }
  return nullptr;
}

namespace {

// Output buffer: report id, then as much of data as fits after it.
bool PrepareOutput(HID_COLLECTION& c, const std::uint8_t* data, std::uint32_t length) {
  std::uint8_t reportId = 0;
  if (!OutputReportId(c, reportId) || c.output.buffer.empty()) return false;
  std::fill(c.output.buffer.begin(), c.output.buffer.end(), std::uint8_t{0});
  c.output.buffer[0] = reportId;
  const std::size_t n = std::min<std::size_t>(length, c.output.buffer.size() - 1);
  if (n > 0 && data != nullptr) std::memcpy(c.output.buffer.data() + 1, data, n);
  return true;
}

}  // namespace

int WriteEndpoint(HID_ENDPOINT* ep, const std::uint8_t* data, std::uint32_t length) {
  HID_COLLECTION& c = ep->collection;
  if (!PrepareOutput(c, data, length)) return 0;
  std::lock_guard io(*ep->csIo);
  return hid::WriteReport(c.handle, c.output.buffer.data(), c.output.buffer.size()) ? 1 : 0;
}

int GetEndpointInputReport(HID_ENDPOINT* ep, std::uint8_t* data, std::uint32_t length) {
  HID_COLLECTION& c = ep->collection;
  if (!PrepareOutput(c, data, length)) return 0;
  const bool ok = hid::GetInputReport(c.handle, c.output.buffer.data(), c.output.buffer.size());
  const std::size_t n = std::min<std::size_t>(length, c.output.buffer.size() - 1);
  if (n > 0 && data != nullptr) std::memcpy(data, c.output.buffer.data() + 1, n);
  return ok ? 1 : 0;
}

}  // namespace vexaro::usb
