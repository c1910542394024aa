// CRC-16 (0x1021, MSB first, no reflection, no final XOR) through tables
// that the bit-by-bit rule fills at compile time. Every command report (64
// bytes and the key) is checked with it on the writing thread, where the bit
// loop cost more than the rest of the report; two bytes a step, because the
// register's two bytes can be looked up independently (the CRC is linear).
#include "sim/checksum.h"

#include <array>

namespace vexaro::sim {
namespace {

constexpr unsigned ShiftBits(unsigned reg, int bits) {
  for (int bit = 0; bit < bits; ++bit) reg = (reg & 0x8000u) != 0 ? (reg << 1) ^ 0x1021u : reg << 1;
  return reg & 0xFFFFu;
}

// For a register byte b: the register after shifting b through one byte of
// zeros (low) and through two (high, b standing in the register's high byte).
struct StepTables {
  std::array<std::uint16_t, 256> low{};
  std::array<std::uint16_t, 256> high{};
  constexpr StepTables() {
    for (unsigned b = 0; b < 256; ++b) {
      low[b] = static_cast<std::uint16_t>(ShiftBits(b << 8, 8));
      high[b] = static_cast<std::uint16_t>(ShiftBits(b << 8, 16));
    }
  }
};

constexpr StepTables kSteps;

}  // namespace

std::uint16_t Crc16(std::uint16_t crc, const std::uint8_t* bytes, std::size_t count) {
  unsigned reg = crc;
  std::size_t i = 0;
  for (; i + 1 < count; i += 2) {
    const unsigned in = reg ^ (static_cast<unsigned>(bytes[i]) << 8 | bytes[i + 1]);
    reg = kSteps.high[in >> 8] ^ kSteps.low[in & 0xFFu];
  }
  if (i < count) reg = ((reg << 8) ^ kSteps.low[((reg >> 8) ^ bytes[i]) & 0xFFu]) & 0xFFFFu;
  return static_cast<std::uint16_t>(reg);
}

bool CommandChecksumValid(const std::uint8_t* report, const std::vector<std::uint8_t>* key) {
  std::array<std::uint8_t, 64> body;
  for (std::size_t i = 0; i < body.size(); ++i) body[i] = report[i + 1];
  body[2] = 0;  // bytes 3 and 4 of the report hold the checksum itself
  body[3] = 0;
  std::uint16_t crc = Crc16(0, body.data(), body.size());
  if (key != nullptr) crc = Crc16(crc, key->data(), key->size());
  return (report[3] | report[4] << 8) == crc;
}

}  // namespace vexaro::sim
