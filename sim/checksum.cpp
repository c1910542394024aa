// CRC-16 (0x1021, MSB first, no reflection, no final XOR), a byte at a time
// through a table that the bit-by-bit rule fills at compile time. Every
// command report is checked with it on the writing thread, where the bit loop
// cost more than the rest of the report.
#include "sim/checksum.h"

#include <array>

namespace vexaro::sim {
namespace {

constexpr unsigned BitStep(unsigned reg) { return (reg & 0x8000u) != 0 ? (reg << 1) ^ 0x1021u : reg << 1; }

constexpr std::array<std::uint16_t, 256> kByteTable = [] {
  std::array<std::uint16_t, 256> table{};
  for (unsigned byte = 0; byte < 256; ++byte) {
    unsigned reg = byte << 8;
    for (int bit = 0; bit < 8; ++bit) reg = BitStep(reg);
    table[byte] = static_cast<std::uint16_t>(reg & 0xFFFFu);
  }
  return table;
}();

}  // namespace

std::uint16_t Crc16(std::uint16_t crc, const std::uint8_t* bytes, std::size_t count) {
  unsigned reg = crc;
  for (std::size_t i = 0; i < count; ++i) reg = ((reg << 8) ^ kByteTable[((reg >> 8) ^ bytes[i]) & 0xFFu]) & 0xFFFFu;
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
