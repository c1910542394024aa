// The demo firmware for the simulated keyboard: a reproducible application
// image with a recognisable header, and a small external lighting table.
// Same bytes on every run and every platform.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace vexaro::sim {

inline constexpr std::uint32_t kDemoImageLength = 24577;     // 0x6001: not whole words
inline constexpr std::uint32_t kDemoExternalLength = 1030;   // 0x406
inline constexpr std::uint32_t kDemoHeaderOffset = 0xC0;     // after the vector table
inline constexpr std::string_view kDemoImageMagic = "VXKB";
inline constexpr std::string_view kDemoExternalMagic = "VXLT";

// The internal image; `version` is written into its header (at most 15 bytes).
std::vector<std::uint8_t> DemoInternalImage(std::string_view version);
std::vector<std::uint8_t> DemoExternalImage();

}  // namespace vexaro::sim
