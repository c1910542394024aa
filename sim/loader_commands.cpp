// The loader's side of the protocol: every command with its checks on the
// range, its effect on the flash and its replies.
#include <algorithm>
#include <array>

#include "sim/checksum.h"
#include "sim/keyboard.h"
#include "sim/report_words.h"

namespace vexaro::sim {
namespace {

constexpr std::uint32_t kDataReportBytes = 64;
constexpr std::uint8_t kEchoCommand = 0x50;

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
    if (!config_.faults.neverAnswerProbe) QueueStatus('F');
    return After::kNothing;
  }
  const std::uint8_t command = r[1];
  const std::uint8_t sub = r[2];
  const std::uint32_t a = WordAt(r, 5);
  const std::uint32_t b = WordAt(r, 9);
  switch (command) {
    case 0x00:
      if (sub == 0x08) EraseRange(a, b);
      else if (sub == 0x0A) EraseRange(config_.userStart, config_.flashSize - 1);
      else QueueStatus('F');
      return After::kNothing;
    case 0x01:
      if (sub == 0x00 || sub == 0x01) ProgramOrVerify(r, sub == 0x01);
      else if (sub == 0x02) ReadRange(a, b);
      else if (sub == 0x03) QueueStatus(flash_.Contains(a, b) && flash_.IsBlank(a, b) ? 'O' : 'F');
      else QueueStatus('F');
      return After::kNothing;
    case 0x02: Checksum(r); return After::kNothing;
    case 0x03: Information(); return After::kNothing;
    case 0x04:
      if (sub == 0x01) return After::kRestartAsLoader;
      if (sub == 0x00) return StartApplication();
      QueueStatus('F');
      return After::kNothing;
    case 0x05: return StartApplication();
    default:
      if (command >= kEchoCommand) UserCommand(r);
      else QueueStatus('F');
      return After::kNothing;
  }
}

bool SimKeyboard::Covers(const std::optional<std::uint32_t>& at, std::uint32_t first, std::uint32_t last) {
  return at && *at >= first && *at <= last;
}

void SimKeyboard::EraseRange(std::uint32_t first, std::uint32_t last) {
  if (first < config_.userStart || !flash_.Contains(first, last)) {
    QueueStatus('F');
    return;
  }
  if (Covers(config_.faults.eraseFailAt, first, last)) {
    trace_.Event("fault erase-failed");
    QueueStatus('F');
    return;
  }
  const bool mass = first == config_.userStart && last == config_.flashSize - 1;
  const std::uint32_t pages = flash_.ErasePages(first, last);
  Busy(mass ? config_.timing.massEraseMs : pages * config_.timing.pageEraseMs);
  QueueStatus('O');
}

void SimKeyboard::ProgramOrVerify(const std::uint8_t* r, bool program) {
  const std::uint32_t p = WordAt(r, 5);
  const std::uint32_t q = WordAt(r, 9);
  if (p < config_.userStart || !flash_.Contains(p, q) || q - p + 1 > kMaxPacketBytes) {
    QueueStatus('F');
    return;
  }
  const std::uint32_t n = q - p + 1;
  if (!program && Covers(config_.faults.verifyFailAt, p, q)) {
    trace_.Event("fault verify-failed");
    QueueStatus('F');
    return;
  }
  if (program && Covers(config_.faults.programFailAt, p, q)) {
    trace_.Event("fault program-failed");
    QueueStatus('F');
    return;
  }
  const bool ok = program ? flash_.Program(p, r + 13, n) : flash_.Equals(p, r + 13, n);
  QueueStatus(ok ? 'O' : 'F');
}

void SimKeyboard::ReadRange(std::uint32_t first, std::uint32_t last) {
  if (!flash_.Contains(first, last) || (static_cast<std::uint64_t>(last) - first + 1) % kDataReportBytes != 0) {
    QueueStatus('F');
    return;
  }
  for (std::uint64_t at = first; at <= last; at += kDataReportBytes) {
    QueueDataReport(flash_.Data() + at);
  }
  QueueStatus('O');
}

void SimKeyboard::Checksum(const std::uint8_t* r) {
  const std::uint32_t start = WordAt(r, 5);
  const std::uint32_t count = WordAt(r, 9);
  // Bytes past the end of the flash are not counted.
  std::uint16_t crc = 0;
  if (start < flash_.Size()) {
    const std::uint64_t available = flash_.Size() - start;
    crc = Crc16(0, flash_.Data() + start, static_cast<std::size_t>(std::min<std::uint64_t>(count, available)));
  }
  std::vector<std::uint8_t> reply(65, 0);
  reply[1] = static_cast<std::uint8_t>(crc & 0xFF);
  reply[2] = static_cast<std::uint8_t>(crc >> 8);
  reply[3] = (r[13] == reply[1] && r[14] == reply[2]) ? 'O' : 'F';
  QueueStatusReport(std::move(reply));
}

void SimKeyboard::Information() {
  std::array<std::uint8_t, kDataReportBytes> data{};
  const std::uint32_t kindBit = config_.loaderKind == LoaderKind::kIap ? 1u : 0u;
  PutWord(&data[0], config_.chipNumber | (config_.loaderVersion & 0xFFFu) << 16 | kindBit << 28);
  PutWord(&data[4], (ApplicationStart() & 0xFFFFu) | config_.pageSize << 16);
  PutWord(&data[8], config_.infoByte | (config_.flashSize / config_.pageSize) << 16);
  PutWord(&data[12], config_.versionRecordAddress);
  QueueDataReport(data.data());
  QueueStatus('O');
}

// Command 0x50 echoes its 64 bytes back as a data report; other user
// commands are unknown to this loader.
void SimKeyboard::UserCommand(const std::uint8_t* r) {
  if (r[1] != kEchoCommand) {
    QueueStatus('F');
    return;
  }
  QueueDataReport(r + 1);
  QueueStatus('O');
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
  constexpr std::uint8_t kModeCommand = 0x04, kRestartLoader = 0x01;
  if (!config_.faults.failReset || mode_ != Mode::kLoader) return false;
  if (report[1] != kModeCommand || report[2] != kRestartLoader) return false;
  trace_.Event("fault reset-refused");
  return true;
}

}  // namespace vexaro::sim
