// CRC-32 written out here (a table and a loop); SHA-256 from the system's
// own cryptography, like the package's digest record.
#include "tools/vexaro-pack/image_digests.h"

#include <array>
#include <cstdio>

#include "platform/sys/digest.h"

namespace vexaro::package {
namespace {

constexpr std::uint32_t kCrc32Polynomial = 0xEDB88320u;

constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1u) != 0 ? kCrc32Polynomial ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}
constexpr auto kCrcTable = MakeCrcTable();

}  // namespace

std::uint32_t Crc32(std::span<const std::uint8_t> bytes) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::uint8_t b : bytes) crc = kCrcTable[(crc ^ b) & 0xFFu] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

std::string Sha256Hex(std::span<const std::uint8_t> bytes) {
  const auto digest = sys::Sha256({bytes});
  if (!digest) return "(no SHA-256: the system's hash service failed)";
  std::string hex;
  char two[3];
  for (const std::uint8_t b : *digest) {
    std::snprintf(two, sizeof two, "%02x", static_cast<unsigned>(b));
    hex += two;
  }
  return hex;
}

}  // namespace vexaro::package
