// The application firmware's side: it answers the ready probe and restarts
// into the loader when asked with the unkeyed checksum (it does not know the
// key block), answers the report channel's memory reads with data reports,
// and gives its status report on GET_REPORT.
#include <algorithm>
#include <cstring>

#include "sim/checksum.h"
#include "sim/keyboard.h"
#include "sim/loader_protocol.h"
#include "sim/report_words.h"

namespace vexaro::sim {
namespace {

// The report channel's memory read, the loader's read command with its start
// and end address; the reply carries 4 header bytes (command, sub-command,
// payload byte count as 16 bits) and then 60 bytes of memory.
constexpr std::uint8_t kReadCommand = protocol::kFlash, kReadSubCommand = protocol::kRead;
constexpr std::size_t kReplyHeaderBytes = 4;
constexpr std::size_t kReplyPayloadBytes = 60;

}  // namespace

std::uint32_t SimKeyboard::ApplicationStart() const {
  return config_.applicationStart == 0 ? config_.userStart : config_.applicationStart;
}

bool SimKeyboard::HasApplication() const {
  const std::uint8_t* first = flash_.Data() + ApplicationStart();
  return first[0] != 0xFF || first[1] != 0xFF || first[2] != 0xFF || first[3] != 0xFF;
}

SimKeyboard::After SimKeyboard::ApplicationReport(const std::uint8_t* r) {
  const bool valid = CommandChecksumValid(r, nullptr);
  const std::uint8_t command = r[protocol::kCommandAt], sub = r[protocol::kSubCommandAt];
  if (command == protocol::kRestart && sub == protocol::kRestartLoader && valid) return After::kRestartAsLoader;
  if (command == kReadCommand && sub == kReadSubCommand && valid) {
    ApplicationRead(r);
    return After::kNothing;
  }
  if (!config_.faults.neverAnswerProbe) QueueStatus(protocol::kStatusFailed);
  return After::kNothing;
}

// One reply report per request, whatever range it names: the firmware sends
// what fits in one report from the start address.
void SimKeyboard::ApplicationRead(const std::uint8_t* r) {
  const std::uint32_t start = WordAt(r, protocol::kFirstAddressAt);
  std::uint8_t reply[kReplyHeaderBytes + kReplyPayloadBytes];
  std::memset(reply, kErasedByte, sizeof reply);
  reply[0] = kReadCommand;
  reply[1] = kReadSubCommand;
  reply[2] = static_cast<std::uint8_t>(kReplyPayloadBytes);
  reply[3] = 0;
  if (start < flash_.Size()) {
    const std::size_t n = std::min<std::size_t>(kReplyPayloadBytes, flash_.Size() - start);
    std::memcpy(reply + kReplyHeaderBytes, flash_.Data() + start, n);
  }
  QueueDataReport(reply);
}

// "OK" while nothing else is queued; a queued status (the probe's "F") comes first.
bool SimKeyboard::ApplicationStatus(std::uint8_t* data, std::size_t length) {
  if (!statuses_.empty() || length < 3) return false;
  std::memset(data + 1, 0, length - 1);
  data[1] = 'O';
  data[2] = 'K';
  return true;
}

}  // namespace vexaro::sim
