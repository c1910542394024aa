#include "updater/package_loader.h"

#include "isp/isp_control.h"
#include "package/package.h"
#include "platform/hid/hid.h"

namespace vexaro::updater {

PackageLoad LoadPackage(const std::string& file) {
  package::SetPackageFile(file);
  PackageLoad load;
  load.problem = package::CheckPackageBeforeUpdate();
  const package::PackageFileState& state = package::LoadPackageFile();
  load.fileProblem = state.fileProblem != sys::FileProblem::None;
  load.hasDigest = state.digest == package::PackageDigest::Verified;
  if (!load.problem.empty()) return load;
  package::DescriptorBytes descriptor{};
  package::ImageBlockBytes internalBlock{};
  package::ImageBlockBytes externalBlock{};
  if (!package::ReadPackageDescriptor(descriptor) || !package::ReadImageBlocks(internalBlock, externalBlock)) {
    load.problem = state.path + ": carries no firmware package";
    return load;
  }
  package::PackageInfo& info = package::ThePackageInfo();
  package::DecodeDescriptorInto(descriptor, info);
  info.InternalImageBlock = internalBlock;
  info.ExternalImageBlock = externalBlock;
  const package::InternalBlockFields fields = package::DecodeInternalBlock(internalBlock);
  load.ok = isp::ISP_SetCrcKey(fields.crcKey.data(), fields.crcKeyLength) == ISP_OK;
  if (!load.ok) load.problem = state.path + ": the checksum key block was refused";
  return load;
}

std::string DemoPackageRefusal() {
  return package::CheckPackageForKeyboard(hid::ActiveBackend() == hid::BackendKind::kSimulated);
}

}  // namespace vexaro::updater
