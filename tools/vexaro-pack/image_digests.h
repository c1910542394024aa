// Digests of image bytes for vexaro-pack inspect: a CRC-32 and a SHA-256 that
// a package producer can compare with what common tools report for the image
// files (crc32, sha256sum), to confirm what a package holds.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace vexaro::package {

// CRC-32 of the zip and PNG formats (reflected polynomial 0xEDB88320,
// initial value and final XOR 0xFFFFFFFF).
std::uint32_t Crc32(std::span<const std::uint8_t> bytes);

// SHA-256 as 64 lower-case hexadecimal digits.
std::string Sha256Hex(std::span<const std::uint8_t> bytes);

}  // namespace vexaro::package
