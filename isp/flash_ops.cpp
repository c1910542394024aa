// Flash operations of a session: erase, blank check, program and verify in
// 52-byte reports with batched acknowledgements, and read in 64-byte data
// reports.
#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "isp/protocol.h"
#include "isp/session.h"
#include "platform/sys/sys.h"

namespace vexaro::isp {
namespace {

constexpr std::int64_t kErasePageWindowSeconds = 10;
constexpr std::int64_t kShortWindowSeconds = 2;   // mass erase, blank check, read
constexpr std::int64_t kTransferWindowSeconds = 6;  // program and verify acknowledgements
constexpr std::uint32_t kReportsPerAckBatch = 60;
constexpr std::uint32_t kPauseBeforeFinalAckMs = 10;

}  // namespace

using namespace protocol;

struct Session::TransferCount {
  std::uint32_t reports = 0;
  std::uint32_t acknowledged = 0;
  bool success = true;
  std::uint64_t sent = 0;
};

// One command exchange whose only reply is a status that must read "O".
Result Session::StatusCommand(std::uint8_t commandCode, std::uint8_t subCommand, const AddressRange* range,
                              std::int64_t windowSeconds) {
  if (!ReadyToSend()) return Result::kFailed;
  BeginCommand(commandCode, subCommand);
  if (range != nullptr) {
    PutRange(*range);
    FillFrom(kPayloadOffset);
  } else {
    FillFrom(kFillerAfterSubCommand);
  }
  if (!SendCommand(true)) return Result::kFailed;
  if (!PollStatus(windowSeconds, 0)) return Result::kFailed;
  return StatusIs(kStatusOk) ? Result::kOk : Result::kFailed;
}

Result Session::ErasePage(AddressRange range) {
  return StatusCommand(command::kErase, erase::kPage, &range, kErasePageWindowSeconds);
}

Result Session::EraseMass() { return StatusCommand(command::kErase, erase::kMass, nullptr, kShortWindowSeconds); }

Result Session::BlankCheck(AddressRange range) {
  return StatusCommand(command::kFlash, flash::kBlankCheck, &range, kShortWindowSeconds);
}

// Counts "O" in the status report; an "F" clears success and, in the batches
// during the transfer, ends the scan.
void Session::ScanAcknowledgements(TransferCount& count, bool stopAtFailure) const {
  const auto& in = state_.inputReport;
  for (std::size_t i = kDataOffset; i < InputLength(); ++i) {
    if (in[i] == kStatusFailed) {
      count.success = false;
      if (stopAtFailure) return;
    } else if (in[i] == kStatusOk) {
      ++count.acknowledged;
    }
  }
}

bool Session::SendTransferReport(TransferMode mode, AddressRange packet, const std::uint8_t* bytes) {
  const std::size_t n = static_cast<std::size_t>(packet.Bytes());
  BeginCommand(command::kFlash, static_cast<std::uint8_t>(mode));
  PutRange(packet);
  std::memcpy(state_.outputReport.data() + kPayloadOffset, bytes, n);
  FillFrom(kPayloadOffset + n);
  return SendCommand(true);
}

Result Session::Transfer(AddressRange range, TransferMode mode, std::span<const std::uint8_t> image) {
  if (range.first >= range.last || image.size() < range.Bytes()) return Result::kInvalidArguments;
  const std::uint64_t total = range.Bytes();
  TransferCount t;
  if (!ProbeDevice()) return Result::kFailed;
  for (std::uint64_t p = range.first; p <= range.last; p += kPayloadBytes) {
    ++t.reports;
    const std::uint64_t q = std::min<std::uint64_t>(p + kPayloadBytes - 1, range.last);
    if (state_.writeHandle == hid::kInvalidHandle || TransferStopRequested()) return Result::kFailed;
    const AddressRange packet{static_cast<std::uint32_t>(p), static_cast<std::uint32_t>(q)};
    if (!SendTransferReport(mode, packet, image.data() + t.sent)) return Result::kFailed;
    t.sent += packet.Bytes();
    if (t.reports % kReportsPerAckBatch == 0) {
      if (!PollStatus(kTransferWindowSeconds, 0)) return Result::kFailed;
      ScanAcknowledgements(t, true);
    }
    state_.transProgress =
        static_cast<std::int32_t>(static_cast<double>(t.sent) / static_cast<double>(total) * 100.0);
  }
  sys::SleepMs(kPauseBeforeFinalAckMs);
  if (PollStatus(kTransferWindowSeconds, 0)) ScanAcknowledgements(t, false);
  return t.success && t.acknowledged == t.reports ? Result::kOk : Result::kFailed;
}

// The loader sends whole data reports, so the range read runs to the end of
// the last 64-byte block; only the bytes asked for reach `out`.
Result Session::Read(AddressRange range, std::span<std::uint8_t> out) {
  if (range.first >= range.last || out.size() < range.Bytes()) return Result::kInvalidArguments;
  const std::uint64_t size = (range.Bytes() + kDataBytes - 1) / kDataBytes * kDataBytes;
  const std::uint64_t readEnd = range.first + size - 1;
  std::vector<std::uint8_t> buffer;
  try {
    buffer.resize(static_cast<std::size_t>(size));
  } catch (const std::bad_alloc&) {
    return Result::kFailed;
  }
  if (!ReadyToSend()) return Result::kFailed;
  BeginCommand(command::kFlash, flash::kRead);
  PutRange({range.first, static_cast<std::uint32_t>(readEnd)});
  FillFrom(kPayloadOffset);
  if (!SendCommand(true)) return Result::kFailed;
  for (std::uint64_t received = 0; range.first + received < readEnd; received += kDataBytes) {
    if (!ReadDataReport()) return Result::kFailed;
    std::memcpy(buffer.data() + received, state_.inputReport.data() + kDataOffset, kDataBytes);
  }
  std::memcpy(out.data(), buffer.data(), static_cast<std::size_t>(range.Bytes()));
  if (!PollStatus(kShortWindowSeconds, 0)) return Result::kFailed;
  return StatusIs(kStatusOk) ? Result::kOk : Result::kFailed;
}

}  // namespace vexaro::isp
