// One updater per keyboard: locks between processes, keyed on the keyboard's
// identity and its port, taken before the first report and held across the
// restart into the loader (whose node differs) until the updater ends. A
// simulated keyboard is locked by its own state file instead (sim/).
#pragma once

#include <cstdint>
#include <string>

#include "platform/sys/file_lock.h"

namespace vexaro::updater {

inline constexpr const char* kKeyboardInUseText =
    "Another updater is using the keyboard. Nothing was sent to it; wait until that update has finished, then "
    "try again.";

class KeyboardLock {
 public:
  // Locks the keyboard known to the package by its application identity and
  // its port. Two files: the model's, and the port's. An updater that knows
  // its keyboard's port shares the model's lock with the others that do and
  // holds its port's alone; one that cannot name a port (port empty: several
  // keyboards, none plugged in yet, or a port that cannot be read) holds the
  // model's alone, so that it keeps out, and is kept out by, every updater
  // of a keyboard of that model. kHeld: another updater stands in the way;
  // kFailed: a lock file cannot be made (the caller may go on without it,
  // and says so).
  sys::FileLock::Result Acquire(std::uint32_t vendorId, std::uint32_t productId, const std::string& port = {});
  // The keyboard of the loaded package that this process is about to drive
  // (updater/keyboard_ports.h PortToDrive), locked at its port. On the
  // simulated bus the keyboard's own state file is its lock, and this takes
  // none (kAcquired).
  sys::FileLock::Result AcquireForPackage();
  void Release() {
    port_.Release();
    model_.Release();
  }
  const std::string& Path() const { return path_; }

 private:
  sys::FileLock model_;
  sys::FileLock port_;
  std::string path_;
};

}  // namespace vexaro::updater
