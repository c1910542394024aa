#include "package/package.h"

namespace vexaro::package {

void ScramblePackageBytes(std::span<std::uint8_t> bytes, const PackageKeyBytes& key) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] = static_cast<std::uint8_t>(bytes[i] ^ key[i % 4] ^ (i % 256));
  }
}

}  // namespace vexaro::package
