#include "updater/keyboard_lock.h"

#include <cstdio>

namespace vexaro::updater {

sys::FileLock::Result KeyboardLock::Acquire(std::uint32_t vendorId, std::uint32_t productId) {
  char name[48];
  std::snprintf(name, sizeof name, "/vexaro-keyboard-%04x-%04x.lock", vendorId & 0xFFFFu, productId & 0xFFFFu);
  path_ = sys::SharedLockFolder() + name;
  return lock_.TryAcquire(path_);
}

}  // namespace vexaro::updater
