// Any bytes as the end of a program file: the reader must refuse or decode
// them without reading outside the file or its buffers.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "package/package.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path =
      (std::filesystem::temp_directory_path() / ("vexaro-package-fuzz-" + std::to_string(sizeof(void*)))).string();
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  vexaro::package::SetPackageFile(path);
  vexaro::package::DescriptorBytes descriptor{};
  if (!vexaro::package::ReadPackageDescriptor(descriptor)) return 0;
  vexaro::package::PackageInfo info;
  vexaro::package::DecodeDescriptorInto(descriptor, info);
  vexaro::package::ImageBlockBytes internalBlock{}, externalBlock{};
  if (!vexaro::package::ReadImageBlocks(internalBlock, externalBlock)) return 0;
  auto in = vexaro::package::DecodeInternalBlock(internalBlock);
  auto ex = vexaro::package::DecodeExternalBlock(externalBlock);
  // Only lengths that fit the input can be satisfied; larger ones must fail
  // before any buffer of that size is needed.
  if (in.imageLength > size || ex.externalLength > size) {
    std::vector<std::uint8_t> small(16), none;
    if (vexaro::package::ReadImages(in.imageLength, ex.externalLength, small, none) && in.imageLength > 16) {
      __builtin_trap();
    }
    return 0;
  }
  std::vector<std::uint8_t> internal(vexaro::package::RoundUpToWord(in.imageLength));
  std::vector<std::uint8_t> external(vexaro::package::RoundUpToWord(ex.externalLength));
  bool fits = std::uint64_t{740} + in.imageLength + ex.externalLength <= size;
  if (vexaro::package::ReadImages(in.imageLength, ex.externalLength, internal, external) != fits) {
    __builtin_trap();
  }
  return 0;
}
