// The checksum of the loader's command reports, also used by the report
// channel over its own packets: CRC-16 with polynomial 0x1021, most
// significant bit first, no reflection, no final XOR.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vexaro::isp {

// CRC-16/XMODEM continued from `crc` over the bytes.
std::uint16_t IspCrc16(std::uint16_t crc, const std::uint8_t* bytes, std::size_t count);

}  // namespace vexaro::isp
