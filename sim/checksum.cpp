// CRC-16 (0x1021, MSB first, no reflection, no final XOR), four bits at a
// time through a table that the bit-by-bit rule fills at compile time. Every
// command report is checked with it on the writing thread, where the bit loop
// and its unpredictable branches cost more than the rest of the report.
#include "sim/checksum.h"

#include <array>

namespace vexaro::sim {
namespace {

constexpr unsigned BitStep(unsigned reg) { return (reg & 0x8000u) != 0 ? (reg << 1) ^ 0x1021u : reg << 1; }

constexpr std::array<std::uint16_t, 16> kNibbleTable = [] {
  std::array<std::uint16_t, 16> table{};
  for (unsigned nibble = 0; nibble < 16; ++nibble) {
    unsigned reg = nibble << 12;
    for (int bit = 0; bit < 4; ++bit) reg = BitStep(reg);
    table[nibble] = static_cast<std::uint16_t>(reg & 0xFFFFu);
  }
  return table;
}();

unsigned NibbleStep(unsigned reg, unsigned nibble) {
  return ((reg << 4) ^ kNibbleTable[((reg >> 12) ^ nibble) & 0xFu]) & 0xFFFFu;
}

}  // namespace

std::uint16_t Crc16(std::uint16_t crc, const std::uint8_t* bytes, std::size_t count) {
  unsigned reg = crc;
  for (std::size_t i = 0; i < count; ++i) {
    reg = NibbleStep(reg, bytes[i] >> 4u);
    reg = NibbleStep(reg, bytes[i] & 0xFu);
  }
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
