// Faults aimed at one output report of the keyboard's life: its replies lost
// or damaged, the power failing half-way through its work, and a restart it
// causes that never comes back or comes back in the other mode.
#include <cstring>

#include "sim/keyboard.h"
#include "sim/loader_protocol.h"
#include "sim/report_words.h"

namespace vexaro::sim {
namespace {

constexpr std::uint32_t kErasedWord = 0xFFFFFFFF;

}  // namespace

Mode SimKeyboard::PowerOnMode() const {
  std::lock_guard lock(mutex_);
  return BootsApplication() ? Mode::kApplication : Mode::kLoader;
}

bool SimKeyboard::BootsApplication() const {
  const std::uint32_t at = config_.versionRecordAddress;
  if (!HasApplication() || !flash_.Contains(at, static_cast<std::uint64_t>(at) + 3)) return false;
  return WordAt(flash_.Data(), at) != kErasedWord;
}

void SimKeyboard::ArmReplyFault() {
  if (config_.faults.dropRepliesAt == writes_) {
    trace_.Event("fault replies-dropped");
    replyFault_ = StatusFault::kDrop;
  } else if (config_.faults.corruptRepliesAt == writes_) {
    trace_.Event("fault replies-corrupted");
    replyFault_ = StatusFault::kCorrupt;
  }
}

// The report reached the chip, which loses its power while working on it:
// an erase or a program is left half done, and the chip will start at the
// next power-on into whatever that flash makes of it.
void SimKeyboard::PowerLoss(std::size_t collection, const std::uint8_t* report, std::size_t length) {
  trace_.Event("fault power-loss");
  if (mode_ == Mode::kLoader && collection == ProtocolCollection() && length >= kProtocolReportBytes &&
      KeyedChecksumValid(report)) {
    HalfDone(report);
  }
  mode_ = BootsApplication() ? Mode::kApplication : Mode::kLoader;
}

// The first half of an erase range (in bytes, so a single page is left half
// erased) or of a program report's bytes.
void SimKeyboard::HalfDone(const std::uint8_t* r) {
  using namespace protocol;
  const std::uint32_t a = WordAt(r, kFirstAddressAt), b = WordAt(r, kLastAddressAt);
  const std::uint8_t command = r[kCommandAt], sub = r[kSubCommandAt];
  std::uint32_t first = a, last = b;
  if (command == kErase && (sub == kErasePages || sub == kEraseMass)) {
    if (sub == kEraseMass) first = config_.userStart, last = config_.flashSize - 1;
    if (first < config_.userStart || !flash_.Contains(first, last)) return;
    const std::uint32_t pageStart = first - first % config_.pageSize;
    const std::uint32_t pageEnd = last - last % config_.pageSize + config_.pageSize - 1;
    const std::uint32_t half = (pageEnd - pageStart + 1) / 2;
    std::memset(flash_.MutableData() + pageStart, kErasedByte, half);
    trace_.Event("half-erased");
    return;
  }
  if (command == kFlash && sub == kProgram) {
    if (a < config_.userStart || !flash_.Contains(a, b) || b - a + 1 > kMaxPacketBytes) return;
    flash_.Program(a, r + kPayloadAt, (b - a + 2) / 2);
    trace_.Event("half-programmed");
  }
}

SimKeyboard::After SimKeyboard::RestartFault(After action) {
  if (action == After::kNothing || action == After::kVanish) return action;
  if (config_.faults.noReEnumerationAt == writes_) {
    trace_.Event("fault no-re-enumeration");
    mode_ = BootsApplication() ? Mode::kApplication : Mode::kLoader;
    return After::kVanish;
  }
  if (config_.faults.wrongModeAt != writes_) return action;
  trace_.Event("fault wrong-mode");
  if (action != After::kRestartAsLoader) return After::kRestartAsLoader;
  // Only a chip with an application can come back running it.
  return HasApplication() ? After::kStartApplication : action;
}

}  // namespace vexaro::sim
