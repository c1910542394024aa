// Building command reports: random filler, little-endian fields and the
// checksum that continues over the key block.
#include <algorithm>

#include "isp/crc.h"
#include "isp/protocol.h"
#include "isp/session.h"

namespace vexaro::isp {

using namespace protocol;

// The classic linear congruential generator; any generator giving the byte
// ranges of the protocol would do.
std::uint32_t Session::NextRandom() {
  state_.randomState = state_.randomState * 214013u + 2531011u;
  return (state_.randomState >> 16) & 0x7FFFu;
}

std::size_t Session::InputLength() const {
  return std::min<std::size_t>(state_.inputReportByteLength, kReportBufferSize);
}

std::size_t Session::OutputLength() const {
  return std::min<std::size_t>(state_.outputReportByteLength, kReportBufferSize);
}

void Session::SeedRandom(std::uint32_t seed) { state_.randomState = seed; }

std::uint8_t Session::RandomFiller() { return static_cast<std::uint8_t>(NextRandom() % 255u + 1u); }

std::uint8_t Session::RandomProbeCommand() {
  constexpr unsigned kProbeCommands = 256u - command::kFirstProbe;
  return static_cast<std::uint8_t>(NextRandom() % kProbeCommands + command::kFirstProbe);
}

void Session::BeginCommand(std::uint8_t commandCode, std::uint8_t subCommand) {
  auto& out = state_.outputReport;
  out.fill(0);
  out[kCommandOffset] = commandCode;
  out[kSubCommandOffset] = subCommand;
}

void Session::PutWord(std::size_t offset, std::uint32_t value) {
  auto& out = state_.outputReport;
  for (std::size_t i = 0; i < 4; ++i) out[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void Session::PutRange(AddressRange range) {
  PutWord(kAddressOffset, range.first);
  PutWord(kEndOffset, range.last);
}

void Session::FillFrom(std::size_t from) {
  auto& out = state_.outputReport;
  for (std::size_t i = from; i <= kLastReportByte; ++i) out[i] = RandomFiller();
}

bool Session::SendCommand(bool keyed) {
  auto& out = state_.outputReport;
  out[0] = kReportId;
  const std::uint16_t crc = ReportChecksum(keyed);
  out[kChecksumOffset] = static_cast<std::uint8_t>(crc & 0xFF);
  out[kChecksumOffset + 1] = static_cast<std::uint8_t>(crc >> 8);
  return WriteCommandReport();
}

std::uint16_t Session::ReportChecksum(bool keyed) const {
  // Bytes 1 to 64 with the checksum field itself taken as zero.
  std::array<std::uint8_t, kLastReportByte + 1> checked{};
  std::copy_n(state_.outputReport.begin(), checked.size(), checked.begin());
  checked[kChecksumOffset] = 0;
  checked[kChecksumOffset + 1] = 0;
  constexpr std::size_t kCheckedBytes = kLastReportByte - kCommandOffset + 1;
  std::uint16_t crc = IspCrc16(0, checked.data() + kCommandOffset, kCheckedBytes);
  if (keyed) crc = IspCrc16(crc, state_.crcKey.data(), state_.crcKeyLength);
  return crc;
}

void Session::SpoilProbeChecksum() {
  // The probe carries no checksum, but its random bytes 3 and 4 could match
  // one by chance; with a command byte the loader runs (a caller-made
  // command from 0x50 up) the loader would then act on it. Redraw them until
  // they match neither the plain nor the keyed checksum.
  auto& out = state_.outputReport;
  const auto stored = [&out] {
    return static_cast<std::uint16_t>(out[kChecksumOffset] | out[kChecksumOffset + 1] << 8);
  };
  while (stored() == ReportChecksum(false) || stored() == ReportChecksum(true)) {
    out[kChecksumOffset] = RandomFiller();
    out[kChecksumOffset + 1] = RandomFiller();
  }
}

}  // namespace vexaro::isp
