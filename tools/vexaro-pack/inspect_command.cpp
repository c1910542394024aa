// vexaro-pack inspect: decodes the package at the end of any file with the
// updater's own reader (one copy of the file, checked against its digest
// record) and prints every field.
#include <cstdio>
#include <vector>

#include "tools/vexaro-pack/commands.h"
#include "tools/vexaro-pack/options.h"
#include "package/package.h"
#include "platform/sys/sys.h"
#include "tools/vexaro-pack/image_digests.h"

namespace vexaro::package {
namespace {

// Bytes in order as hexadecimal digits, with a space between bytes or, for
// values the build options take back (--key, --digest, --crc-key), as one
// run of upper-case digits in the form those options accept.
std::string Hex(std::span<const std::uint8_t> bytes, bool optionForm = false) {
  std::string text;
  char two[4];
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(two, sizeof two, optionForm ? "%02X" : i ? " %02x" : "%02x", bytes[i]);
    text += two;
  }
  return text;
}

std::string Field(const DescriptorBytes& d, std::size_t offset, std::size_t width) {
  return DescriptorText(d, offset, width);
}

// Last address the loader programs for an image of `length` bytes from
// `start`: whole 4-byte words counted from the start address, the end taken
// down to a word boundary (for an unaligned start this is not start +
// rounded length - 1).
std::uint64_t ProgrammedEnd(std::uint32_t start, std::uint32_t length) {
  return ((std::uint64_t{start} + length + 3) & ~std::uint64_t{3}) - 1;
}

int Fail(const std::string& path, const std::string& why) {
  std::fprintf(stderr, "vexaro-pack inspect: %s: %s\n", path.c_str(), why.c_str());
  return 1;
}

// Exit code 1 with the reason for a file that cannot be read, is too short
// to hold a package, or fails its digest record; 0 to go on.
int RefuseFile(const PackageFileState& state) {
  if (state.fileProblem != sys::FileProblem::None) {
    return Fail(state.path, std::string("cannot read the file (") + sys::FileProblemText(state.fileProblem) + ")");
  }
  if (state.fileSize < kPackageTrailerSize) {
    return Fail(state.path, "the file is " + std::to_string(state.fileSize) +
                                " bytes long, shorter than the 740-byte package trailer");
  }
  if (state.digest == PackageDigest::Mismatch) {
    std::fprintf(stderr, "vexaro-pack inspect: %s\n", state.problem.c_str());
    return 1;
  }
  return 0;
}

// The descriptor as stored, for the slot and tag: scrambled back with the key.
DescriptorBytes Stored(const DescriptorBytes& descriptor, const PackageKeyBytes& key) {
  DescriptorBytes stored = descriptor;
  ScramblePackageBytes(std::span(stored).first(kDescriptorScrambledSize), key);
  return stored;
}

void PrintDigestRecord(PackageDigest digest) {
  std::printf("digest:             %s\n", digest == PackageDigest::Verified
                                                ? "SHA-256, verified"
                                                : "none (damage to this package cannot be detected)");
}

// Inspect shows what the updater would do with the package without failing
// on it: a producer may well be looking at a package to learn why.
void WarnWhatTheUpdaterRefuses(const std::string& path) {
  std::string reason = CheckPackageBeforeUpdate();
  if (reason.empty()) return;
  if (reason.rfind(path + ": ", 0) == 0) reason.erase(0, path.size() + 2);
  std::fprintf(stderr, "vexaro-pack inspect: warning: the updater will refuse this package: %s\n", reason.c_str());
}

void PrintIdentity(const DescriptorBytes& d) {
  namespace f = descriptor_field;
  PackageInfo info;
  DecodeDescriptorInto(d, info);
  std::printf("AP identity:        vendor %04X  product %04X  interface %X   (texts \"%s\" \"%s\" \"%s\")\n",
              info.ApVendorId, info.ApProductId, info.ApInterfaceIndex,
              Field(d, f::kApVendorId, f::kIdWidth).c_str(), Field(d, f::kApProductId, f::kIdWidth).c_str(),
              Field(d, f::kApInterfaceIndex, f::kIndexWidth).c_str());
  std::printf("IAP identity:       vendor %04X  product %04X  interface %X   (texts \"%s\" \"%s\" \"%s\")\n",
              info.IapVendorId, info.IapProductId, info.IapInterfaceIndex,
              Field(d, f::kIapVendorId, f::kIdWidth).c_str(), Field(d, f::kIapProductId, f::kIdWidth).c_str(),
              Field(d, f::kIapInterfaceIndex, f::kIndexWidth).c_str());
  std::printf("UpdateVersion:      \"%s\"\n", info.UpdateVersion.c_str());
  std::printf("WindowTitle:        \"%s\"\n", info.WindowTitle.c_str());
  std::printf("CompanyName:        \"%s\"\n", info.CompanyName.c_str());
  std::printf("ProductName:        \"%s\"\n", info.ProductName.c_str());
}

void PrintBlocks(const InternalBlockFields& in, const ExternalBlockFields& ex) {
  std::printf("internal image:     %u bytes (%ju as whole words)\n", in.imageLength,
              static_cast<std::uintmax_t>(RoundUpToWord(in.imageLength)));
  std::printf("digest value:       %s\n", Hex(in.digestValue, true).c_str());
  std::printf("checksum key block: %u bytes: %s\n", in.crcKeyLength,
              Hex(std::span(in.crcKey).first(in.crcKeyLength), true).c_str());
  if (ex.externalLength == 0) {
    std::printf("external image:     none\n");
  } else {
    std::printf("external image:     %u bytes at 0x%08X..0x%08jX\n", ex.externalLength, ex.externalStart,
                static_cast<std::uintmax_t>(ProgrammedEnd(ex.externalStart, ex.externalLength)));
  }
}

// The digests of the plain image bytes (without the pad to whole words), the
// same a producer gets from the image files with crc32 or sha256sum.
int PrintImageDigests(const std::string& path, std::uint32_t internalLength, std::uint32_t externalLength) {
  if (internalLength > kMaxImageBytes || externalLength > kMaxImageBytes) {
    std::printf("image digests:      not computed (an image is above the 64 MiB limit)\n");
    return 0;
  }
  std::vector<std::uint8_t> internal(RoundUpToWord(internalLength)), external(RoundUpToWord(externalLength));
  if (!ReadImages(internalLength, externalLength, internal, external)) {
    return Fail(path, "cannot read the images");
  }
  auto print = [](const char* which, std::span<const std::uint8_t> image) {
    std::printf("%s CRC-32 %08X  SHA-256 %s\n", which, static_cast<unsigned>(Crc32(image)), Sha256Hex(image).c_str());
  };
  print("internal image:    ", std::span(internal).first(internalLength));
  if (externalLength != 0) print("external image:    ", std::span(external).first(externalLength));
  return 0;
}

}  // namespace

void PrintInspectUsage(std::FILE* to) {
  std::fputs(
      "usage: vexaro-pack inspect FILE\n"
      "  Decodes the package at the end of FILE and prints every field and each image's CRC-32\n"
      "  and SHA-256, whether a digest record vouches for the package, and why the updater\n"
      "  would refuse it. Exit 0 valid package, 1 no valid package or a damaged one, 2 wrong usage.\n",
      to);
}

int InspectCommand(const std::vector<std::string>& args) {
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h" || sys::IsPlatformHelpArgument(args[0]))) {
    PrintInspectUsage(stdout);
    return 0;
  }
  if (args.size() != 1) {
    PrintInspectUsage(stderr);
    return 2;
  }
  const std::string& path = args[0];
  SetPackageFile(path);
  const PackageFileState& state = LoadPackageFile();
  if (const int refused = RefuseFile(state); refused != 0) return refused;
  DescriptorBytes descriptor{};
  if (!ReadPackageDescriptor(descriptor)) {
    return Fail(path, "invalid package: the key tag fits neither key slot");
  }
  const std::uintmax_t size = state.fileSize;
  const DescriptorBytes stored = Stored(descriptor, PackageKey());
  const KeyChoice choice = ChoosePackageKey(stored);
  ImageBlockBytes internalBlock{}, externalBlock{};
  if (!ReadImageBlocks(internalBlock, externalBlock)) {
    return Fail(path, "invalid package: the internal image block's checksum key length exceeds 64 bytes");
  }
  InternalBlockFields in = DecodeInternalBlock(internalBlock);
  ExternalBlockFields ex = DecodeExternalBlock(externalBlock);
  std::uint64_t packageSize = kPackageTrailerSize + std::uint64_t{in.imageLength} + ex.externalLength;
  if (packageSize > size) {
    return Fail(path, "invalid package: the image lengths (internal " + std::to_string(in.imageLength) +
                          ", external " + std::to_string(ex.externalLength) + ") reach before the start of the file");
  }
  std::printf("file:               %s (%ju bytes)\n", path.c_str(), size);
  std::printf("program part:       %ju bytes; package: %ju bytes from offset %ju\n",
              size - packageSize, static_cast<std::uintmax_t>(packageSize), size - packageSize);
  std::printf("key:                slot %d, key %s, tag %s\n", choice.slot, Hex(choice.key, true).c_str(),
              Hex(std::span(stored).subspan(descriptor_field::kKeyTag, 4)).c_str());
  PrintDigestRecord(state.digest);
  std::printf("demo package:       %s\n", state.demo ? "yes (installed only on the simulated keyboard)" : "no");
  PrintIdentity(descriptor);
  PrintBlocks(in, ex);
  const int result = PrintImageDigests(path, in.imageLength, ex.externalLength);
  if (result == 0) WarnWhatTheUpdaterRefuses(path);
  return result;
}

}  // namespace vexaro::package
