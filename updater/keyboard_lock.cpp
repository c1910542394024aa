#include "updater/keyboard_lock.h"

#include <cstdio>

#include "package/package.h"
#include "platform/hid/hid.h"

namespace vexaro::updater {

sys::FileLock::Result KeyboardLock::Acquire(std::uint32_t vendorId, std::uint32_t productId) {
  char name[48];
  std::snprintf(name, sizeof name, "/vexaro-keyboard-%04x-%04x.lock", vendorId & 0xFFFFu, productId & 0xFFFFu);
  path_ = sys::SharedLockFolder() + name;
  return lock_.TryAcquire(path_);
}

sys::FileLock::Result KeyboardLock::AcquireForPackage() {
  if (hid::ActiveBackend() != hid::BackendKind::kNative) return sys::FileLock::Result::kAcquired;
  const package::PackageInfo& info = package::ThePackageInfo();
  return Acquire(info.ApVendorId, info.ApProductId);
}

}  // namespace vexaro::updater
