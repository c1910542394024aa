// The loader's command reports as every part of the simulated keyboard reads
// them: their length, their 32-bit little-endian addresses and counts, and
// the largest data packet one transfer command holds.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vexaro::sim {

// A report of the protocol collection: its ID, then 64 bytes.
inline constexpr std::size_t kProtocolReportBytes = 65;
inline constexpr std::uint32_t kMaxPacketBytes = 52;
inline constexpr std::uint8_t kErasedByte = 0xFF;  // a blank flash byte

// The word at r[offset..offset+3]; the caller has checked the report's length.
inline std::uint32_t WordAt(const std::uint8_t* r, std::size_t offset) {
  return static_cast<std::uint32_t>(r[offset]) | static_cast<std::uint32_t>(r[offset + 1]) << 8 |
         static_cast<std::uint32_t>(r[offset + 2]) << 16 | static_cast<std::uint32_t>(r[offset + 3]) << 24;
}

}  // namespace vexaro::sim
