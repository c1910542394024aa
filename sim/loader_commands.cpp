// The loader's side of the protocol: every command with its checks on the
// range, its effect on the flash and its replies.
#include <algorithm>
#include <array>

#include "sim/checksum.h"
#include "sim/keyboard.h"
#include "sim/loader_protocol.h"
#include "sim/report_words.h"

namespace vexaro::sim {

using namespace protocol;

namespace {

constexpr std::uint32_t kDataReportBytes = 64;

void PutWord(std::uint8_t* bytes, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

bool SimKeyboard::KeyedChecksumValid(const std::uint8_t* report) const {
  return CommandChecksumValid(report, &config_.crcKey);
}

SimKeyboard::After SimKeyboard::LoaderReport(const std::uint8_t* r) {
  if (!KeyedChecksumValid(r)) {
    // The ready probe, a report from someone without the key, or noise.
    if (!config_.faults.neverAnswerProbe) QueueStatus(kStatusFailed);
    return After::kNothing;
  }
  const std::uint8_t command = r[kCommandAt];
  const std::uint8_t sub = r[kSubCommandAt];
  const std::uint32_t a = WordAt(r, kFirstAddressAt);
  const std::uint32_t b = WordAt(r, kLastAddressAt);
  switch (command) {
    case kErase:
      if (sub == kErasePages) EraseRange(a, b);
      else if (sub == kEraseMass) EraseRange(config_.userStart, config_.flashSize - 1);
      else QueueStatus(kStatusFailed);
      return After::kNothing;
    case kFlash:
      if (sub == kVerify || sub == kProgram) ProgramOrVerify(r, sub == kProgram);
      else if (sub == kRead) ReadRange(a, b);
      else if (sub == kBlankCheck) QueueStatus(flash_.Contains(a, b) && flash_.IsBlank(a, b) ? kStatusOk : kStatusFailed);
      else QueueStatus(kStatusFailed);
      return After::kNothing;
    case kChecksum: Checksum(r); return After::kNothing;
    case kInformation: Information(); return After::kNothing;
    case kRestart:
      if (sub == kRestartLoader) return After::kRestartAsLoader;
      if (sub == kRestartApplication) return StartApplication();
      QueueStatus(kStatusFailed);
      return After::kNothing;
    case kExit: return StartApplication();
    default:
      if (command >= kEcho) UserCommand(r);
      else QueueStatus(kStatusFailed);
      return After::kNothing;
  }
}

bool SimKeyboard::Covers(const std::optional<std::uint32_t>& at, std::uint32_t first, std::uint32_t last) {
  return at && *at >= first && *at <= last;
}

void SimKeyboard::EraseRange(std::uint32_t first, std::uint32_t last) {
  if (first < config_.userStart || !flash_.Contains(first, last)) {
    QueueStatus(kStatusFailed);
    return;
  }
  if (Covers(config_.faults.eraseFailAt, first, last)) {
    trace_.Event("fault erase-failed");
    QueueStatus(kStatusFailed);
    return;
  }
  const bool mass = first == config_.userStart && last == config_.flashSize - 1;
  const std::uint32_t pages = flash_.ErasePages(first, last);
  Busy(mass ? config_.timing.massEraseMs : pages * config_.timing.pageEraseMs);
  QueueStatus(kStatusOk);
}

void SimKeyboard::ProgramOrVerify(const std::uint8_t* r, bool program) {
  const std::uint32_t p = WordAt(r, kFirstAddressAt);
  const std::uint32_t q = WordAt(r, kLastAddressAt);
  if (p < config_.userStart || !flash_.Contains(p, q) || q - p + 1 > kMaxPacketBytes) {
    QueueStatus(kStatusFailed);
    return;
  }
  const std::uint32_t n = q - p + 1;
  if (!program && Covers(config_.faults.verifyFailAt, p, q)) {
    trace_.Event("fault verify-failed");
    QueueStatus(kStatusFailed);
    return;
  }
  if (program && Covers(config_.faults.programFailAt, p, q)) {
    trace_.Event("fault program-failed");
    QueueStatus(kStatusFailed);
    return;
  }
  const bool ok = program ? flash_.Program(p, r + kPayloadAt, n) : flash_.Equals(p, r + kPayloadAt, n);
  QueueStatus(ok ? kStatusOk : kStatusFailed);
}

void SimKeyboard::ReadRange(std::uint32_t first, std::uint32_t last) {
  if (!flash_.Contains(first, last) || (static_cast<std::uint64_t>(last) - first + 1) % kDataReportBytes != 0) {
    QueueStatus(kStatusFailed);
    return;
  }
  for (std::uint64_t at = first; at <= last; at += kDataReportBytes) {
    QueueDataReport(flash_.Data() + at);
  }
  QueueStatus(kStatusOk);
}

void SimKeyboard::Checksum(const std::uint8_t* r) {
  const std::uint32_t start = WordAt(r, kFirstAddressAt);
  const std::uint32_t count = WordAt(r, kLastAddressAt);
  // Bytes past the end of the flash are not counted.
  std::uint16_t crc = 0;
  if (start < flash_.Size()) {
    const std::uint64_t available = flash_.Size() - start;
    crc = Crc16(0, flash_.Data() + start, static_cast<std::size_t>(std::min<std::uint64_t>(count, available)));
  }
  std::vector<std::uint8_t> reply(65, 0);
  reply[kChecksumValueAt] = static_cast<std::uint8_t>(crc & 0xFF);
  reply[kChecksumValueAt + 1] = static_cast<std::uint8_t>(crc >> 8);
  const bool match = r[kPayloadAt] == reply[kChecksumValueAt] && r[kPayloadAt + 1] == reply[kChecksumValueAt + 1];
  reply[kChecksumStatusAt] = static_cast<std::uint8_t>(match ? kStatusOk : kStatusFailed);
  QueueStatusReport(std::move(reply));
}

void SimKeyboard::Information() {
  std::array<std::uint8_t, kDataReportBytes> data{};
  const std::uint32_t kind = config_.loaderKind == LoaderKind::kIap ? kKindIap : kKindIsp;
  const std::uint32_t pages = config_.flashSize / config_.pageSize;
  PutWord(&data[4 * kInfoChipWord], config_.chipNumber | (config_.loaderVersion & kInfoVersionMask) << kInfoHighShift |
                                        kind << kInfoKindShift);
  PutWord(&data[4 * kInfoUserWord], (ApplicationStart() & kInfoLowMask) | config_.pageSize << kInfoHighShift);
  PutWord(&data[4 * kInfoPagesWord], config_.infoByte | pages << kInfoHighShift);
  PutWord(&data[4 * kInfoRecordWord], config_.versionRecordAddress);
  QueueDataReport(data.data());
  QueueStatus(kStatusOk);
}

// The echo command gives its 64 bytes back as a data report; other user
// commands are unknown to this loader.
void SimKeyboard::UserCommand(const std::uint8_t* r) {
  if (r[kCommandAt] != kEcho) {
    QueueStatus(kStatusFailed);
    return;
  }
  QueueDataReport(r + 1);
  QueueStatus(kStatusOk);
}

SimKeyboard::After SimKeyboard::StartApplication() {
  if (config_.faults.stayInLoader) {
    trace_.Event("fault stay-in-loader");
    return After::kRestartAsLoader;
  }
  if (!HasApplication()) return After::kRestartAsLoader;
  return config_.faults.loaderBeforeApplicationMs != 0 ? After::kLoaderThenApplication
                                                       : After::kStartApplication;
}

// The restart command is refused at the write, as a loader that has locked
// up would do it.
bool SimKeyboard::RefusedByFault(const std::uint8_t* report) {
  if (!config_.faults.failReset || mode_ != Mode::kLoader) return false;
  if (report[kCommandAt] != kRestart || report[kSubCommandAt] != kRestartLoader) return false;
  trace_.Event("fault reset-refused");
  return true;
}

}  // namespace vexaro::sim
