// Decoding of the descriptor and image-block fields from unscrambled bytes.
#include "package/package.h"

#include <algorithm>

namespace vexaro::package {
namespace {

std::uint32_t ReadLe32(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return static_cast<std::uint32_t>(bytes[offset]) |
         static_cast<std::uint32_t>(bytes[offset + 1]) << 8 |
         static_cast<std::uint32_t>(bytes[offset + 2]) << 16 |
         static_cast<std::uint32_t>(bytes[offset + 3]) << 24;
}

std::uint32_t HexField(const DescriptorBytes& d, std::size_t offset, std::size_t width) {
  std::string_view field(reinterpret_cast<const char*>(d.data() + offset), width);
  return ParseHexText(field);
}

}  // namespace

InternalBlockFields DecodeInternalBlock(std::span<const std::uint8_t, kImageBlockSize> block) {
  InternalBlockFields f;
  f.imageLength = ReadLe32(block, 4);
  f.digestValue = {block[16], block[17]};
  std::copy_n(block.begin() + 18, kCrcKeyCapacity, f.crcKey.begin());
  f.crcKeyLength = static_cast<std::uint16_t>(block[82] | block[83] << 8);
  return f;
}

ExternalBlockFields DecodeExternalBlock(std::span<const std::uint8_t, kImageBlockSize> block) {
  return {ReadLe32(block, 0), ReadLe32(block, 4)};
}

std::string DescriptorText(std::span<const std::uint8_t, kDescriptorSize> descriptor,
                           std::size_t offset, std::size_t width) {
  auto field = descriptor.subspan(offset, width);
  auto end = std::find(field.begin(), field.end(), std::uint8_t{0});
  return std::string(field.begin(), end);
}

void DecodeDescriptorInto(const DescriptorBytes& d, PackageInfo& info) {
  namespace f = descriptor_field;
  info.PackageDescriptor = d;
  info.ApVendorId = HexField(d, f::kApVendorId, f::kIdWidth);
  info.ApProductId = HexField(d, f::kApProductId, f::kIdWidth);
  info.ApInterfaceIndex = HexField(d, f::kApInterfaceIndex, f::kIndexWidth);
  info.IapVendorId = HexField(d, f::kIapVendorId, f::kIdWidth);
  info.IapProductId = HexField(d, f::kIapProductId, f::kIdWidth);
  info.IapInterfaceIndex = HexField(d, f::kIapInterfaceIndex, f::kIndexWidth);
  info.UpdateVersion = DescriptorText(d, f::kUpdateVersion);
  info.WindowTitle = DescriptorText(d, f::kWindowTitle);
  info.CompanyName = DescriptorText(d, f::kCompanyName);
  info.ProductName = DescriptorText(d, f::kProductName);
}

PackageInfo& ThePackageInfo() {
  static PackageInfo info;
  return info;
}

}  // namespace vexaro::package
