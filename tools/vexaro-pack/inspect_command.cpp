// vexaro-pack inspect: decodes the package at the end of any file with the
// updater's own reader and prints every field.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "tools/vexaro-pack/commands.h"
#include "tools/vexaro-pack/options.h"
#include "package/package.h"
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

bool StoredDescriptor(const std::string& path, std::uintmax_t size, DescriptorBytes& stored) {
  std::ifstream in(path, std::ios::binary);
  in.seekg(static_cast<std::streamoff>(size - kDescriptorSize));
  in.read(reinterpret_cast<char*>(stored.data()), kDescriptorSize);
  return in.gcount() == static_cast<std::streamsize>(kDescriptorSize);
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

// The digests of the plain image bytes (without the pad to whole words), the
// same a producer gets from the image files with crc32 or sha256sum.
int PrintImageDigests(const std::string& path, std::uint32_t internalLength, std::uint32_t externalLength) {
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
      "  and SHA-256. Exit 0 valid package, 1 no valid package, 2 wrong usage.\n",
      to);
}

int InspectCommand(const std::vector<std::string>& args) {
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    PrintInspectUsage(stdout);
    return 0;
  }
  if (args.size() != 1) {
    PrintInspectUsage(stderr);
    return 2;
  }
  const std::string& path = args[0];
  std::error_code error;
  std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error) return Fail(path, "cannot read the file (" + error.message() + ")");
  if (size < kPackageTrailerSize) {
    return Fail(path, "the file is " + std::to_string(size) + " bytes long, shorter than the 740-byte package trailer");
  }
  DescriptorBytes stored{}, descriptor{};
  if (!StoredDescriptor(path, size, stored)) return Fail(path, "cannot read the descriptor");
  KeyChoice choice = ChoosePackageKey(stored);
  SetPackageFile(path);
  if (choice.slot == 0 || !ReadPackageDescriptor(descriptor)) {
    return Fail(path, "invalid package: the key tag fits neither key slot");
  }
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
  PrintIdentity(descriptor);
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
  return PrintImageDigests(path, in.imageLength, ex.externalLength);
}

}  // namespace vexaro::package
