// Bitwise CRC-16 (0x1021, MSB first, no reflection, no final XOR).
#include "sim/checksum.h"

#include <array>

namespace vexaro::sim {

std::uint16_t Crc16(std::uint16_t crc, const std::uint8_t* bytes, std::size_t count) {
  unsigned reg = crc;
  for (std::size_t i = 0; i < count; ++i) {
    reg ^= static_cast<unsigned>(bytes[i]) << 8;
    for (int bit = 0; bit < 8; ++bit) reg = (reg & 0x8000u) != 0 ? (reg << 1) ^ 0x1021u : reg << 1;
    reg &= 0xFFFFu;
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
