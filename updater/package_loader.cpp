#include "updater/package_loader.h"

#include "isp/engine.h"
#include "package/package.h"

namespace vexaro::updater {

bool LoadPackage(const std::string& file) {
  SetPackageFile(file);
  DescriptorBytes descriptor{};
  ImageBlockBytes internalBlock{};
  ImageBlockBytes externalBlock{};
  if (!ReadPackageDescriptor(descriptor) || !ReadImageBlocks(internalBlock, externalBlock)) return false;
  PackageInfo& info = ThePackageInfo();
  DecodeDescriptorInto(descriptor, info);
  info.InternalImageBlock = internalBlock;
  info.ExternalImageBlock = externalBlock;
  info.PackageKey = PackageKey();
  const InternalBlockFields fields = DecodeInternalBlock(internalBlock);
  return isp::ISP_SetCrcKey(fields.crcKey.data(), fields.crcKeyLength) == 0;
}

}  // namespace vexaro::updater
