// Typed values of vexaro-pack's build options: hexadecimal numbers, byte
// strings and the input files they name. A value that does not fit its option
// is a Refusal naming the option as the user typed it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/vexaro-pack/options.h"

namespace vexaro::package {

// Why the build makes no package; caught inside the build command.
struct Refusal {
  std::string message;
};

class Reader {
 public:
  explicit Reader(const Options& o) : options_(o) {}

  std::optional<std::string> Get(const std::string& name) const;
  std::string Required(const std::string& name) const;
  // Whole-string hexadecimal, optional 0x, at most maxDigits digits.
  std::uint32_t Hex(const std::string& name, const std::string& text, std::size_t maxDigits) const;
  std::uint32_t HexOption(const std::string& name, std::size_t maxDigits,
                          std::optional<std::uint32_t> fallback = {}) const;
  // An even number of hexadecimal digits, two per byte.
  std::vector<std::uint8_t> HexBytes(const std::string& name, const std::string& text) const;

 private:
  const Options& options_;
};

// The whole input file named by --option; `what` says what it holds.
std::vector<std::uint8_t> ReadInput(const std::string& option, const std::string& what, const std::string& path);

}  // namespace vexaro::package
