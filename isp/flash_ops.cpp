// Flash operations of the exported interface: erase, blank check, program and
// verify in 52-byte reports with batched acknowledgements, and read in 64-byte
// data reports.
#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "isp/engine.h"
#include "isp/isp_api.h"
#include "platform/sys/sys.h"

namespace vexaro::isp {
namespace {

constexpr std::int64_t kErasePageWindowSeconds = 10;
constexpr std::int64_t kShortWindowSeconds = 2;   // mass erase, blank check, read
constexpr std::int64_t kTransferWindowSeconds = 6;  // program and verify acknowledgements
constexpr std::uint32_t kReportsPerAckBatch = 60;
constexpr std::uint32_t kPauseBeforeFinalAckMs = 10;

bool ReadyToSend() {
  return ProbeDevice() && Engine().writeHandle != hid::kInvalidHandle;
}

// One command exchange whose only reply is a status that must read "O".
int32_t StatusCommand(std::uint8_t command, std::uint8_t subCommand, const std::uint32_t* range,
                      std::int64_t windowSeconds) {
  if (!ReadyToSend()) return ISP_FAILED;
  BeginCommand(command, subCommand);
  if (range != nullptr) {
    PutWord(5, range[0]);
    PutWord(9, range[1]);
    FillFrom(13);
  } else {
    FillFrom(5);
  }
  if (!SendCommand(true)) return ISP_FAILED;
  if (!PollStatus(windowSeconds, 0)) return ISP_FAILED;
  return StatusText() == "O" ? ISP_OK : ISP_FAILED;
}

struct Transfer {
  std::uint32_t reports = 0;
  std::uint32_t acknowledged = 0;
  bool success = true;
  std::uint64_t sent = 0;
};

// Counts "O" in the status report; an "F" clears success and, in the batches
// during the transfer, ends the scan.
void ScanAcknowledgements(Transfer& t, bool stopAtFailure) {
  const auto& in = Engine().inputReport;
  for (std::size_t i = 1; i < InputLength(); ++i) {
    if (in[i] == 'F') {
      t.success = false;
      if (stopAtFailure) return;
    } else if (in[i] == 'O') {
      ++t.acknowledged;
    }
  }
}

bool SendTransferReport(std::uint8_t mode, std::uint64_t p, std::uint64_t q, const std::uint8_t* bytes) {
  const std::size_t n = static_cast<std::size_t>(q - p + 1);
  BeginCommand(0x01, mode);
  PutWord(5, static_cast<std::uint32_t>(p));
  PutWord(9, static_cast<std::uint32_t>(q));
  std::memcpy(Engine().outputReport.data() + 13, bytes, n);
  FillFrom(13 + n);
  return SendCommand(true);
}

int32_t Transfer52(std::uint32_t start, std::uint32_t end, std::uint8_t mode, const std::uint8_t* data) {
  IspEngine& e = Engine();
  const std::uint64_t total = static_cast<std::uint64_t>(end) - start + 1;
  Transfer t;
  if (!ProbeDevice()) return ISP_FAILED;
  for (std::uint64_t p = start; p <= end; p += kPayloadBytes) {
    ++t.reports;
    const std::uint64_t q = std::min<std::uint64_t>(p + kPayloadBytes - 1, end);
    if (e.writeHandle == hid::kInvalidHandle || TransferStopRequested()) return ISP_FAILED;
    if (!SendTransferReport(mode, p, q, data + t.sent)) return ISP_FAILED;
    t.sent += q - p + 1;
    if (t.reports % kReportsPerAckBatch == 0) {
      if (!PollStatus(kTransferWindowSeconds, 0)) return ISP_FAILED;
      ScanAcknowledgements(t, true);
    }
    e.transProgress = static_cast<std::int32_t>(static_cast<double>(t.sent) / static_cast<double>(total) * 100.0);
  }
  sys::SleepMs(kPauseBeforeFinalAckMs);
  if (PollStatus(kTransferWindowSeconds, 0)) ScanAcknowledgements(t, false);
  return t.success && t.acknowledged == t.reports ? ISP_OK : ISP_FAILED;
}

int32_t ReadRange(std::uint32_t start, std::uint32_t end, std::uint8_t* data) {
  const std::uint64_t length = static_cast<std::uint64_t>(end) - start;
  const std::uint64_t size = (length + 1 + kDataBytes - 1) / kDataBytes * kDataBytes;
  const std::uint64_t readEnd = start + size - 1;
  std::vector<std::uint8_t> buffer;
  try {
    buffer.resize(static_cast<std::size_t>(size));
  } catch (const std::bad_alloc&) {
    return ISP_FAILED;
  }
  if (!ReadyToSend()) return ISP_FAILED;
  BeginCommand(0x01, 0x02);
  PutWord(5, start);
  PutWord(9, static_cast<std::uint32_t>(readEnd));
  FillFrom(13);
  if (!SendCommand(true)) return ISP_FAILED;
  std::uint64_t received = 0;
  while (start + received < readEnd) {
    if (!ReadDataReport()) return ISP_FAILED;
    std::memcpy(buffer.data() + received, Engine().inputReport.data() + 1, kDataBytes);
    received += kDataBytes;
  }
  std::memcpy(data, buffer.data(), static_cast<std::size_t>(length + 1));
  if (!PollStatus(kShortWindowSeconds, 0)) return ISP_FAILED;
  return StatusText() == "O" ? ISP_OK : ISP_FAILED;
}

}  // namespace
}  // namespace vexaro::isp

using namespace vexaro::isp;

extern "C" {

int32_t ISP_ErasePage(int32_t start, int32_t end) {
  const std::uint32_t range[2] = {static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(end)};
  return StatusCommand(0x00, 0x08, range, kErasePageWindowSeconds);
}

int32_t ISP_EraseMass(void) { return StatusCommand(0x00, 0x0A, nullptr, kShortWindowSeconds); }

int32_t ISP_BlankCheck(int32_t start, int32_t end) {
  const std::uint32_t range[2] = {static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(end)};
  return StatusCommand(0x01, 0x03, range, kShortWindowSeconds);
}

int32_t ISP_WriteProgramB(uint32_t start, uint32_t end, uint8_t mode, const uint8_t* data) {
  if (data == nullptr || start >= end) return ISP_INVALID_ARGUMENTS;
  if (mode != 0 && mode != 1) return ISP_OK;
  return Transfer52(start, end, mode, data);
}

int32_t ISP_ReadData(uint32_t start, uint32_t end, uint8_t* data) {
  if (data == nullptr || start >= end) return ISP_INVALID_ARGUMENTS;
  return ReadRange(start, end, data);
}

int32_t ISP_GetTransProgress(void) { return Engine().transProgress; }

}  // extern "C"
