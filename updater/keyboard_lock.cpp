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
  char name[48];
  std::snprintf(name, sizeof name, "/vexaro-keyboard-%04x-%04x", vendorId & 0xFFFFu, productId & 0xFFFFu);
  path_ = sys::SharedLockFolder() + name;
  if (!port.empty()) {
    path_.push_back('-');
    path_.append(PortInFileName(port));
  }
  path_.append(".lock");
  return lock_.TryAcquire(path_);
}

sys::FileLock::Result KeyboardLock::AcquireForPackage() {
  if (hid::ActiveBackend() != hid::BackendKind::kNative) return sys::FileLock::Result::kAcquired;
  const package::PackageInfo& info = package::ThePackageInfo();
  return Acquire(info.ApVendorId, info.ApProductId, PortToDrive());
}

}  // namespace vexaro::updater
