// The checksum the keyboard checks on every command report: CRC-16 with
// polynomial 0x1021 over bytes 1 to 64 (bytes 3 and 4 counted as zero),
// continued over the key block unless the command is sent unkeyed. Its tables
// are filled from the bit-by-bit rule here, independently of the host's engine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vexaro::sim {

std::uint16_t Crc16(std::uint16_t crc, const std::uint8_t* bytes, std::size_t count);

// report points at a 65-byte report, report ID first.
bool CommandChecksumValid(const std::uint8_t* report, const std::vector<std::uint8_t>* key);

}  // namespace vexaro::sim
