// Making firmware packages: the producer's side of the package format. The
// updater itself never links this; vexaro-pack and the tests do.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "package/package.h"

namespace vexaro::package {

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
  bool digestRecord = true;  // false writes a package as producers without digests do
  bool demoMark = false;     // a demo package: installed only on the simulated keyboard
};

// What CheckPackageContents calls each value in its sentences: the package's
// field names by default; a tool names the options its user typed instead.
struct ContentsNames {
  const char* updateVersion = "UpdateVersion";
  const char* windowTitle = "WindowTitle";
  const char* companyName = "CompanyName";
  const char* productName = "ProductName";
  const char* apVendorId = "ApVendorId";
  const char* apProductId = "ApProductId";
  const char* apInterfaceIndex = "ApInterfaceIndex";
  const char* iapVendorId = "IapVendorId";
  const char* iapProductId = "IapProductId";
  const char* iapInterfaceIndex = "IapInterfaceIndex";
  const char* crcKey = "the checksum key block";
  const char* internalImage = "the internal image";
  const char* externalImage = "the external image";
};

// Empty when the PackageContents can be packed; otherwise a sentence naming
// the value (as `names` calls it) and what is wrong with it.
std::string CheckPackageContents(const PackageContents& contents, const ContentsNames& names = {});

// The package bytes, to be appended behind a program file: external image,
// internal image, external block, internal block, descriptor. The PackageContents must
// have passed CheckPackageContents.
std::vector<std::uint8_t> BuildPackage(const PackageContents& contents);

}  // namespace vexaro::package
