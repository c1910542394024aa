#include "updater/package_loader.h"

#include "isp/engine.h"
#include "package/package.h"

namespace vexaro::updater {

bool LoadPackage(const std::string& file) {
  package::SetPackageFile(file);
  package::DescriptorBytes descriptor{};
  package::ImageBlockBytes internalBlock{};
  package::ImageBlockBytes externalBlock{};
  if (!package::ReadPackageDescriptor(descriptor) ||
      !package::ReadImageBlocks(internalBlock, externalBlock)) {
    return false;
  }
  package::PackageInfo& info = package::ThePackageInfo();
  package::DecodeDescriptorInto(descriptor, info);
  info.InternalImageBlock = internalBlock;
  info.ExternalImageBlock = externalBlock;
  const package::InternalBlockFields fields = package::DecodeInternalBlock(internalBlock);
  return isp::ISP_SetCrcKey(fields.crcKey.data(), fields.crcKeyLength) == 0;
}

}  // namespace vexaro::updater
