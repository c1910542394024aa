// CRC-16 with polynomial 0x1021, most significant bit first, no reflection
// and no final XOR (CRC-16/XMODEM when started from 0), two bytes a step
// through tables built once: every report carries one over 64 bytes and the
// key, and a byte at a time each step waits for the previous lookup.
#include "isp/crc.h"

#include <array>

namespace vexaro::isp {
namespace {

struct CrcTables {
  std::array<std::uint16_t, 256> one{};  // one byte x: the register after shifting x through
  std::array<std::uint16_t, 256> two{};  // x followed by a zero byte
  constexpr CrcTables() {
    for (unsigned x = 0; x < 256; ++x) {
      unsigned reg = x << 8;
      for (int step = 0; step < 8; ++step) {
        reg = (reg & 0x8000u) != 0 ? ((reg << 1) ^ 0x1021u) : (reg << 1);
      }
      one[x] = static_cast<std::uint16_t>(reg & 0xFFFFu);
    }
    for (unsigned x = 0; x < 256; ++x) {
      two[x] = static_cast<std::uint16_t>(((one[x] << 8) ^ one[one[x] >> 8]) & 0xFFFFu);
    }
  }
};

constexpr CrcTables kTables;

}  // namespace

std::uint16_t IspCrc16(std::uint16_t crc, const std::uint8_t* bytes, std::size_t count) {
  unsigned reg = crc;
  std::size_t i = 0;
  // The table is linear, so the two bytes' contributions are looked up
  // independently and combined.
  for (; i + 2 <= count; i += 2) {
    reg = kTables.two[(reg >> 8) ^ bytes[i]] ^ kTables.one[(reg & 0xFFu) ^ bytes[i + 1]];
  }
  if (i < count) reg = ((reg << 8) ^ kTables.one[((reg >> 8) ^ bytes[i]) & 0xFFu]) & 0xFFFFu;
  return static_cast<std::uint16_t>(reg);
}

}  // namespace vexaro::isp
