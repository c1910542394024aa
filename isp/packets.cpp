// Building command reports: random filler, little-endian fields and the
// checksum that continues over the key block.
#include <algorithm>

#include "isp/engine.h"

namespace vexaro::isp {
namespace {

constexpr std::size_t kLastReportByte = 64;

// The classic linear congruential generator; any generator giving the byte
// ranges of the protocol would do.
std::uint32_t NextRandom() {
  IspEngine& e = Engine();
  e.randomState = e.randomState * 214013u + 2531011u;
  return (e.randomState >> 16) & 0x7FFFu;
}

}  // namespace

std::size_t InputLength() {
  return std::min<std::size_t>(Engine().inputReportByteLength, kReportBufferSize);
}

std::size_t OutputLength() {
  return std::min<std::size_t>(Engine().outputReportByteLength, kReportBufferSize);
}

void SeedRandom(std::uint32_t seed) { Engine().randomState = seed; }

std::uint8_t RandomFiller() { return static_cast<std::uint8_t>(NextRandom() % 255u + 1u); }

std::uint8_t RandomProbeCommand() { return static_cast<std::uint8_t>(NextRandom() % 250u + 6u); }

void BeginCommand(std::uint8_t command, std::uint8_t subCommand) {
  auto& out = Engine().outputReport;
  out.fill(0);
  out[1] = command;
  out[2] = subCommand;
}

void PutWord(std::size_t offset, std::uint32_t value) {
  auto& out = Engine().outputReport;
  for (std::size_t i = 0; i < 4; ++i) out[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void FillFrom(std::size_t from) {
  auto& out = Engine().outputReport;
  for (std::size_t i = from; i <= kLastReportByte; ++i) out[i] = RandomFiller();
}

bool SendCommand(bool keyed) {
  IspEngine& e = Engine();
  auto& out = e.outputReport;
  out[0] = 0;
  out[3] = 0;
  out[4] = 0;
  std::uint16_t crc = IspCrc16(0, out.data() + 1, kLastReportByte);
  if (keyed) crc = IspCrc16(crc, e.crcKey.data(), e.crcKeyLength);
  out[3] = static_cast<std::uint8_t>(crc & 0xFF);
  out[4] = static_cast<std::uint8_t>(crc >> 8);
  return WriteCommandReport();
}

}  // namespace vexaro::isp
