// CRC-16 with polynomial 0x1021, most significant bit first, no reflection
// and no final XOR (CRC-16/XMODEM when started from 0), byte-wise through a
// table built once.
#include "isp/crc.h"

#include <array>

namespace vexaro::isp {
namespace {

struct CrcTable {
  std::array<std::uint16_t, 256> entries{};
  constexpr CrcTable() {
    for (unsigned x = 0; x < 256; ++x) {
      unsigned reg = x << 8;
      for (int step = 0; step < 8; ++step) {
        reg = (reg & 0x8000u) != 0 ? ((reg << 1) ^ 0x1021u) : (reg << 1);
      }
      entries[x] = static_cast<std::uint16_t>(reg & 0xFFFFu);
    }
  }
};

constexpr CrcTable kTable;

}  // namespace

std::uint16_t IspCrc16(std::uint16_t crc, const std::uint8_t* bytes, std::size_t count) {
  unsigned reg = crc;
  for (std::size_t i = 0; i < count; ++i) {
    reg = ((reg << 8) ^ kTable.entries[((reg >> 8) ^ bytes[i]) & 0xFFu]) & 0xFFFFu;
  }
  return static_cast<std::uint16_t>(reg);
}

}  // namespace vexaro::isp
