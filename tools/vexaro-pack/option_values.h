// Typed values of vexaro-pack's build options: hexadecimal numbers, byte
// strings and the input files they name. A value that does not fit its option
// is a Refusal naming the option as the user typed it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "package/package.h"

#include "platform/sys/input_file.h"
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

// The most an input may hold, checked before any of it is read, and the
// clause that says why ("the updater accepts images of at most 64 MiB").
struct InputLimit {
  std::uint64_t bytes;
  const char* why;
};
inline constexpr InputLimit kImageLimit = {kMaxImageBytes, "the updater accepts images of at most 64 MiB"};
inline constexpr InputLimit kCrcKeyLimit = {kCrcKeyCapacity, "the checksum key block holds at most 64 bytes"};
// No updater program comes near it; the limit keeps a wrong file from
// being copied whole into a package.
inline constexpr InputLimit kProgramLimit = {std::uint64_t{1} << 30, "vexaro-pack takes program files of at most 1 GiB"};

// Opens the input file named by --option for reading (without blocking on
// anything but a regular file); `what` says what it holds.
void OpenInput(sys::InputFile& file, const std::string& option, const std::string& what, const std::string& path,
               InputLimit limit);
// The whole input file, opened as OpenInput does.
std::vector<std::uint8_t> ReadInput(const std::string& option, const std::string& what, const std::string& path,
                                    InputLimit limit);

}  // namespace vexaro::package
