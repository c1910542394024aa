// Every way the package at the end of a program file can be wrong, made
// from a good one: truncated, a bad key tag, lengths out of range, a key
// block over 64 bytes, texts and numbers that fill their fields.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vexaro::reliability {

struct BadPackage {
  std::string name;
  std::vector<std::uint8_t> bytes;
};

// good: a program file ending with a package scrambled with key, whose
// internal image is imageLength bytes long.
std::vector<BadPackage> BadPackages(const std::vector<std::uint8_t>& good, const std::array<std::uint8_t, 4>& key);

}  // namespace vexaro::reliability
