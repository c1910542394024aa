// What can be known about a package before a keyboard is touched: every
// refusal here happens before the first report is sent.
#include <algorithm>
#include <cstdio>

#include "package/package.h"
#include "package/package_copy.h"

namespace vexaro::package {
namespace {

// The keyboard's application reports 60 bytes of its version area and its
// version text up to the first byte that is not one of these.
constexpr std::size_t kReportedVersionMax = 60;
bool IsReportedVersionCharacter(char c) { return c == 'V' || c == 'v' || c == '.' || (c >= '0' && c <= '9'); }

std::string Hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", value);
  return text;
}

std::string BlockProblem(const InternalBlockFields& internal, const ExternalBlockFields& external,
                         std::uint64_t fileSize) {
  if (internal.imageLength == 0) return "ImageLength is 0: the package has no internal image";
  if (internal.imageLength > kMaxImageBytes) {
    return "ImageLength " + std::to_string(internal.imageLength) + " is above the 64 MiB limit";
  }
  if (external.externalLength > kMaxImageBytes) {
    return "ExternalLength " + std::to_string(external.externalLength) + " is above the 64 MiB limit";
  }
  const std::uint64_t needed = kPackageTrailerSize + std::uint64_t{internal.imageLength} + external.externalLength;
  if (needed > fileSize) {
    return "cut short: its images (" + std::to_string(internal.imageLength) + " and " +
           std::to_string(external.externalLength) + " bytes) reach before the start of the file";
  }
  if (external.externalLength != 0 &&
      external.externalStart + RoundUpToWord(external.externalLength) - 1 > 0xFFFFFFFFull) {
    return "ExternalStart " + Hex(external.externalStart) + " with ExternalLength " +
           std::to_string(external.externalLength) + " runs past the end of the address space";
  }
  return {};
}

}  // namespace

std::string VersionTextProblem(std::string_view version) {
  if (version.empty()) return "is empty, and a keyboard cannot report an empty version back";
  if (version.size() > kReportedVersionMax) {
    return "is longer than the " + std::to_string(kReportedVersionMax) + " characters a keyboard reports back";
  }
  for (const char c : version) {
    if (IsReportedVersionCharacter(c)) continue;
    char code[8];
    std::snprintf(code, sizeof code, "0x%02X", static_cast<unsigned char>(c));
    return std::string("holds the character ") + code +
           ", and a keyboard reports its version only up to the first character other than V, v, '.' and 0-9";
  }
  if (version.size() < 2) return "has no layout mark (its second character)";
  return {};
}

std::string LayoutMarkProblem(std::string_view version) {
  if (version.size() >= 2 && version[1] >= '0' && version[1] <= '9') return {};
  return "has no digit as its layout mark (its second character), so it tells nothing about the keyboard's layout";
}

bool CarriesDemoMark(std::span<const std::uint8_t, kImageBlockSize> externalBlock) {
  return std::equal(demo_mark::kMarker.begin(), demo_mark::kMarker.end(), externalBlock.begin() + demo_mark::kOffset);
}

std::string CheckPackageForKeyboard(bool simulatedKeyboard) {
  const PackageFileState& state = LoadPackageFile();
  if (simulatedKeyboard || !state.demo) return {};
  return state.path + ": " + kDemoPackageRefusal;
}

std::string CheckPackageBeforeUpdate() {
  const PackageFileState& state = LoadPackageFile();
  if (!state.problem.empty()) return state.problem;
  DescriptorBytes descriptor{};
  ImageBlockBytes internalBlock{}, externalBlock{};
  if (!ReadPackageDescriptor(descriptor)) return state.path + ": carries no firmware package";
  if (!ReadImageBlocks(internalBlock, externalBlock)) {
    if (state.fileSize < kPackageTrailerSize) return state.path + ": cut short: its image blocks are missing";
    CopyFromEnd(kDescriptorSize, internalBlock);
    ScramblePackageBytes(internalBlock, PackageKey());
    return state.path + ": CrcKeyLength " + std::to_string(DecodeInternalBlock(internalBlock).crcKeyLength) +
           " is above the 64 bytes of the key block";
  }
  const std::string blocks =
      BlockProblem(DecodeInternalBlock(internalBlock), DecodeExternalBlock(externalBlock), state.fileSize);
  if (!blocks.empty()) return state.path + ": " + blocks;
  const std::string version = DescriptorText(descriptor, descriptor_field::kUpdateVersion);
  const std::string text = VersionTextProblem(version);
  if (!text.empty()) return state.path + ": the version text \"" + version + "\" " + text;
  return {};
}

}  // namespace vexaro::package
