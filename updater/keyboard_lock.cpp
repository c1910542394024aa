#include "updater/keyboard_lock.h"

#include <cstdio>

#include "package/package.h"
#include "platform/hid/hid.h"
#include "updater/keyboard_ports.h"

namespace vexaro::updater {
namespace {

// A port as part of a file name: Windows location paths carry '#' and
// parentheses, which stay; anything a file system might refuse becomes '_'.
std::string PortInFileName(const std::string& port) {
  std::string text;
  for (char c : port) {
    const bool plain = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' ||
                       c == '.' || c == '#' || c == '(' || c == ')';
    text.push_back(plain ? c : '_');
  }
  return text;
}

}  // namespace

sys::FileLock::Result KeyboardLock::Acquire(std::uint32_t vendorId, std::uint32_t productId,
                                            const std::string& port) {
  Release();
  char name[48];
  std::snprintf(name, sizeof name, "/vexaro-keyboard-%04x-%04x", vendorId & 0xFFFFu, productId & 0xFFFFu);
  path_ = sys::SharedLockFolder() + name + ".lock";
  using Mode = sys::FileLock::Mode;
  const sys::FileLock::Result model = model_.TryAcquire(path_, port.empty() ? Mode::kExclusive : Mode::kShared);
  if (model != sys::FileLock::Result::kAcquired || port.empty()) return model;
  path_ = sys::SharedLockFolder() + name + "-" + PortInFileName(port) + ".lock";
  const sys::FileLock::Result own = port_.TryAcquire(path_);
  if (own != sys::FileLock::Result::kAcquired) model_.Release();
  return own;
}

sys::FileLock::Result KeyboardLock::AcquireForPackage() {
  if (hid::ActiveBackend() != hid::BackendKind::kNative) return sys::FileLock::Result::kAcquired;
  const package::PackageInfo& info = package::ThePackageInfo();
  return Acquire(info.ApVendorId, info.ApProductId, PortToDrive());
}

}  // namespace vexaro::updater
