// Reading the package from the end of the program file. Each read opens the
// file, seeks from its end, reads and closes it again; no handle stays open.
#include <algorithm>
#include <fstream>
#include <optional>
#include <vector>

#include "package/package.h"
#include "platform/sys/sys.h"

namespace vexaro::package {
namespace {

// The file a test or tool points the readers at instead of the program file.
std::string& FileOverride() {
  static std::string path;
  return path;
}

std::optional<std::string> PackageFilePath() {
  if (!FileOverride().empty()) return FileOverride();
  std::string path;
  if (!sys::GetModuleFilePath(path)) return std::nullopt;
  return path;
}

// Reads out.size() bytes that end `fromEnd` bytes before the end of the
// package file. Fails on a missing file, a file too short to hold them, or a
// short read; out is untouched on failure only as far as the stream allows,
// so callers read into scratch buffers.
bool ReadFromEnd(std::uint64_t fromEnd, std::span<std::uint8_t> out) {
  auto path = PackageFilePath();
  if (!path) return false;
  std::ifstream file(*path, std::ios::binary);
  if (!file) return false;
  file.seekg(0, std::ios::end);
  std::streamoff length = file.tellg();
  if (length < 0 || static_cast<std::uint64_t>(length) < fromEnd + out.size()) return false;
  file.seekg(length - static_cast<std::streamoff>(fromEnd + out.size()), std::ios::beg);
  file.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(out.size()));
  return file.gcount() == static_cast<std::streamsize>(out.size());
}

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

void SetPackageFile(std::string path) { FileOverride() = std::move(path); }

bool ReadPackageDescriptor(std::span<std::uint8_t, kDescriptorSize> out) {
  DescriptorBytes buffer{};
  if (!ReadFromEnd(0, buffer)) return false;
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
  if (!ReadFromEnd(kDescriptorSize, internal)) return false;
  if (!ReadFromEnd(kDescriptorSize + kImageBlockSize, external)) return false;
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
  if (!ReadFromEnd(kPackageTrailerSize, internal)) return false;
  std::vector<std::uint8_t> external(externalLength);
  if (externalLength != 0 &&
      !ReadFromEnd(std::uint64_t{kPackageTrailerSize} + internalLength, external)) {
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
