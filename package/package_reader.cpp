// Reading the package from the end of the program file: the descriptor and
// its key, the image blocks and the images, all from the one copy of the
// package (package_copy.cpp).
#include <algorithm>
#include <vector>

#include "package/package.h"
#include "package/package_copy.h"

namespace vexaro::package {
namespace {

bool TagFits(std::span<const std::uint8_t, kDescriptorSize> stored, std::size_t slotOffset,
             PackageKeyBytes& candidate) {
  for (std::size_t k = 0; k < 4; ++k) {
    candidate[k] = static_cast<std::uint8_t>(stored[slotOffset + k] ^ kSlotMask[k]);
  }
  for (std::size_t k = 0; k < 4; ++k) {
    if ((stored[descriptor_field::kKeyTag + k] ^ candidate[k]) != kSelector[k]) return false;
  }
  return true;
}

}  // namespace

KeyChoice ChoosePackageKey(std::span<const std::uint8_t, kDescriptorSize> stored) {
  KeyChoice choice;
  if (TagFits(stored, descriptor_field::kKeySlot2, choice.key)) {
    choice.slot = 2;
  } else if (TagFits(stored, descriptor_field::kKeySlot1, choice.key)) {
    choice.slot = 1;
  } else {
    choice.key = {};
  }
  return choice;
}

// The key has one home, the process-wide PackageInfo, so the record the
// window fills and the image reads can never disagree about it.
const PackageKeyBytes& PackageKey() { return ThePackageInfo().PackageKey; }

bool ReadPackageDescriptor(std::span<std::uint8_t, kDescriptorSize> out) {
  DescriptorBytes buffer{};
  if (!LoadPackageFile().problem.empty() || !CopyFromEnd(0, buffer)) return false;
  KeyChoice choice = ChoosePackageKey(buffer);
  if (choice.slot == 0) return false;
  ThePackageInfo().PackageKey = choice.key;
  ScramblePackageBytes(std::span(buffer).first(kDescriptorScrambledSize), choice.key);
  std::copy(buffer.begin(), buffer.end(), out.begin());
  return true;
}

bool ReadImageBlocks(std::span<std::uint8_t, kImageBlockSize> internalBlock,
                     std::span<std::uint8_t, kImageBlockSize> externalBlock) {
  ImageBlockBytes internal{}, external{};
  if (!CopyFromEnd(kDescriptorSize, internal)) return false;
  if (!CopyFromEnd(kDescriptorSize + kImageBlockSize, external)) return false;
  ScramblePackageBytes(internal, PackageKey());
  ScramblePackageBytes(external, PackageKey());
  // The engine's key block holds 64 bytes; a longer count is a broken package.
  if (DecodeInternalBlock(internal).crcKeyLength > kCrcKeyCapacity) return false;
  std::copy(internal.begin(), internal.end(), internalBlock.begin());
  std::copy(external.begin(), external.end(), externalBlock.begin());
  return true;
}

bool ReadImages(std::uint32_t internalLength, std::uint32_t externalLength,
                std::span<std::uint8_t> internalImage, std::span<std::uint8_t> externalImage) {
  if (internalImage.size() < internalLength) return false;
  if (externalLength != 0 && externalImage.size() < externalLength) return false;
  std::vector<std::uint8_t> internal(internalLength);
  if (!CopyFromEnd(kPackageTrailerSize, internal)) return false;
  std::vector<std::uint8_t> external(externalLength);
  if (externalLength != 0 &&
      !CopyFromEnd(std::uint64_t{kPackageTrailerSize} + internalLength, external)) {
    return false;
  }
  ScramblePackageBytes(internal, PackageKey());
  ScramblePackageBytes(external, PackageKey());
  auto place = [](const std::vector<std::uint8_t>& image, std::span<std::uint8_t> buffer) {
    std::copy(image.begin(), image.end(), buffer.begin());
    std::fill(buffer.begin() + static_cast<std::ptrdiff_t>(image.size()), buffer.end(),
              std::uint8_t{0xFF});
  };
  place(internal, internalImage);
  if (externalLength != 0) place(external, externalImage);
  return true;
}

}  // namespace vexaro::package
