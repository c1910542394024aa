// Package production. Everything is written plain, scrambled with the key,
// and finally the key slots and tag are put in place as the reader expects.
#include "tools/vexaro-pack/packer.h"

#include <algorithm>
#include <cstdio>
#include <random>
#include <tuple>

namespace vexaro::package {
namespace {

namespace f = descriptor_field;

void PutText(std::vector<std::uint8_t>& d, std::size_t offset, const std::string& text) {
  std::copy(text.begin(), text.end(), d.begin() + static_cast<std::ptrdiff_t>(offset));
}

void PutHex(std::vector<std::uint8_t>& d, std::size_t offset, std::uint32_t value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*X", digits, value);
  PutText(d, offset, text);
}

void PutLe32(std::vector<std::uint8_t>& b, std::size_t offset, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) b[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::string CheckText(const char* field, const std::string& text) {
  if (text.size() >= kTextFieldSize) {
    return std::string(field) + " is " + std::to_string(text.size()) +
           " bytes long; it must be shorter than 128 bytes";
  }
  if (text.find('\0') != std::string::npos) return std::string(field) + " contains a zero byte";
  return {};
}

std::string CheckId(const char* field, std::uint32_t value, std::uint32_t max) {
  if (value > max) {
    char text[96];
    std::snprintf(text, sizeof text, "%s %X does not fit its field (at most %X)", field, value, max);
    return text;
  }
  return {};
}

PackageKeyBytes Masked(const PackageKeyBytes& key) {
  PackageKeyBytes slot;
  for (std::size_t k = 0; k < 4; ++k) slot[k] = static_cast<std::uint8_t>(key[k] ^ kSlotMask[k]);
  return slot;
}

// A slot value that does not decode to the key, so only the chosen slot fits.
PackageKeyBytes Filler(const PackageKeyBytes& key, std::uint32_t seed) {
  std::mt19937 random(seed);
  PackageKeyBytes fits = Masked(key), slot;
  do {
    for (auto& b : slot) b = static_cast<std::uint8_t>(random());
  } while (slot == fits);
  return slot;
}

std::vector<std::uint8_t> Descriptor(const PackageContents& s) {
  std::vector<std::uint8_t> d(kDescriptorSize, 0);
  PutHex(d, f::kApVendorId, s.apVendorId, 4);
  PutHex(d, f::kApProductId, s.apProductId, 4);
  PutHex(d, f::kApInterfaceIndex, s.apInterfaceIndex, 1);
  PutHex(d, f::kIapVendorId, s.iapVendorId, 4);
  PutHex(d, f::kIapProductId, s.iapProductId, 4);
  PutHex(d, f::kIapInterfaceIndex, s.iapInterfaceIndex, 1);
  PutText(d, f::kUpdateVersion, s.updateVersion);
  PutText(d, f::kWindowTitle, s.windowTitle);
  PutText(d, f::kCompanyName, s.companyName);
  PutText(d, f::kProductName, s.productName);
  ScramblePackageBytes(std::span(d).first(kDescriptorScrambledSize), s.key);
  PackageKeyBytes fits = Masked(s.key), filler = Filler(s.key, s.fillerSeed);
  const PackageKeyBytes& slot1 = s.slot == KeySlot::Two ? filler : fits;
  const PackageKeyBytes& slot2 = s.slot == KeySlot::One ? filler : fits;
  for (std::size_t k = 0; k < 4; ++k) {
    d[f::kKeySlot1 + k] = slot1[k];
    d[f::kKeySlot2 + k] = slot2[k];
    d[f::kKeyTag + k] = static_cast<std::uint8_t>(s.key[k] ^ kSelector[k]);
  }
  return d;
}

std::vector<std::uint8_t> InternalBlock(const PackageContents& s) {
  std::vector<std::uint8_t> b(kImageBlockSize, 0);
  PutLe32(b, 4, static_cast<std::uint32_t>(s.internalImage.size()));
  b[16] = s.digestValue[0];
  b[17] = s.digestValue[1];
  std::copy(s.crcKey.begin(), s.crcKey.end(), b.begin() + 18);
  b[82] = static_cast<std::uint8_t>(s.crcKey.size());
  b[83] = static_cast<std::uint8_t>(s.crcKey.size() >> 8);
  return b;
}

std::vector<std::uint8_t> ExternalBlock(const PackageContents& s) {
  std::vector<std::uint8_t> b(kImageBlockSize, 0);
  PutLe32(b, 0, s.externalImage.empty() ? 0 : s.externalStart);
  PutLe32(b, 4, static_cast<std::uint32_t>(s.externalImage.size()));
  if (s.demoMark) std::copy(demo_mark::kMarker.begin(), demo_mark::kMarker.end(), b.begin() + demo_mark::kOffset);
  return b;
}

void AppendScrambled(std::vector<std::uint8_t>& out, std::vector<std::uint8_t> block,
                     const PackageKeyBytes& key) {
  ScramblePackageBytes(block, key);
  out.insert(out.end(), block.begin(), block.end());
}

}  // namespace

std::string CheckPackageContents(const PackageContents& s, const ContentsNames& names) {
  const std::pair<const char*, const std::string*> texts[] = {
      {names.updateVersion, &s.updateVersion}, {names.windowTitle, &s.windowTitle},
      {names.companyName, &s.companyName}, {names.productName, &s.productName}};
  for (auto [name, text] : texts) {
    if (auto e = CheckText(name, *text); !e.empty()) return e;
  }
  const std::tuple<const char*, std::uint32_t, std::uint32_t> ids[] = {
      {names.apVendorId, s.apVendorId, 0xFFFF},        {names.apProductId, s.apProductId, 0xFFFF},
      {names.apInterfaceIndex, s.apInterfaceIndex, 0xFFF}, {names.iapVendorId, s.iapVendorId, 0xFFFF},
      {names.iapProductId, s.iapProductId, 0xFFFF},    {names.iapInterfaceIndex, s.iapInterfaceIndex, 0xFFF}};
  for (auto [name, value, max] : ids) {
    if (auto e = CheckId(name, value, max); !e.empty()) return e;
  }
  if (s.crcKey.size() > kCrcKeyCapacity) {
    return std::string(names.crcKey) + " is " + std::to_string(s.crcKey.size()) +
           " bytes long; the checksum key block holds at most 64 bytes";
  }
  if (s.internalImage.empty()) return std::string(names.internalImage) + " is empty";
  if (s.internalImage.size() > 0xFFFFFFFFu || s.externalImage.size() > 0xFFFFFFFFu) {
    return std::string(s.internalImage.size() > 0xFFFFFFFFu ? names.internalImage : names.externalImage) +
           " is larger than 4 GiB";
  }
  if (!s.externalImage.empty() &&
      std::uint64_t{s.externalStart} + s.externalImage.size() > 0x100000000u) {
    return std::string(names.externalImage) + " runs past the end of the 32-bit address space";
  }
  return {};
}

std::vector<std::uint8_t> BuildPackage(const PackageContents& s) {
  std::vector<std::uint8_t> out;
  out.reserve(s.externalImage.size() + s.internalImage.size() + kPackageTrailerSize);
  if (!s.externalImage.empty()) AppendScrambled(out, s.externalImage, s.key);
  AppendScrambled(out, s.internalImage, s.key);
  AppendScrambled(out, ExternalBlock(s), s.key);
  AppendScrambled(out, InternalBlock(s), s.key);
  auto d = Descriptor(s);
  out.insert(out.end(), d.begin(), d.end());
  // The package is a producer's own only once it cannot be mistaken for a
  // damaged one: the reader checks the digest record before anything else.
  if (s.digestRecord) SealPackage(out, s.key);
  return out;
}

}  // namespace vexaro::package
