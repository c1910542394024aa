// The keyboard's two identities from the package, as the engine takes them.
#pragma once

#include "isp/isp_api.h"
#include "package/package.h"

namespace vexaro::updater {

inline bool ApplicationFound() {
  const package::PackageInfo& p = package::ThePackageInfo();
  return ISP_IsConnectedToDevice(static_cast<int32_t>(p.ApVendorId), static_cast<int32_t>(p.ApProductId),
                                 static_cast<int32_t>(p.ApInterfaceIndex)) == ISP_CONNECTED;
}

inline bool LoaderFound() {
  const package::PackageInfo& p = package::ThePackageInfo();
  return ISP_IsConnectedToDevice(static_cast<int32_t>(p.IapVendorId), static_cast<int32_t>(p.IapProductId),
                                 static_cast<int32_t>(p.IapInterfaceIndex)) == ISP_CONNECTED;
}

// A package whose application identifiers are zero leaves the keyboard in
// its loader: no restart request and no wait for the application.
inline bool HasApplicationIds() {
  const package::PackageInfo& p = package::ThePackageInfo();
  return p.ApVendorId != 0 && p.ApProductId != 0;
}

}  // namespace vexaro::updater
