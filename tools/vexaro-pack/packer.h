// Making firmware packages: the producer's side of the package format. The
// updater itself never links this; vexaro-pack and the tests do.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "package/package.h"

namespace vexaro::pack {

enum class KeySlot { One = 1, Two = 2, Both = 3 };  // Both only for tests of the reader

struct PackageContents {
  std::vector<std::uint8_t> internalImage;
  std::vector<std::uint8_t> externalImage;  // empty: no external image
  std::uint32_t externalStart = 0;
  std::uint32_t apVendorId = 0, apProductId = 0, apInterfaceIndex = 0;
  std::uint32_t iapVendorId = 0, iapProductId = 0, iapInterfaceIndex = 0;
  std::string updateVersion, windowTitle, companyName, productName;
  std::array<std::uint8_t, 2> digestValue{};
  std::vector<std::uint8_t> crcKey;
  PackageKeyBytes key{};
  KeySlot slot = KeySlot::Two;
  std::uint32_t fillerSeed = 0;  // for the unused key slot; fixed for reproducible output
};

// Empty when the PackageContents can be packed; otherwise a sentence naming the field and
// what is wrong with it.
std::string CheckPackageContents(const PackageContents& contents);

// The package bytes, to be appended behind a program file: external image,
// internal image, external block, internal block, descriptor. The PackageContents must
// have passed CheckPackageContents.
std::vector<std::uint8_t> BuildPackage(const PackageContents& contents);

}  // namespace vexaro::pack
