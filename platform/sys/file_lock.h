// A lock between processes, held while the object lives: a lock file that
// the system releases when its holder ends, however it ends (flock on Linux,
// LockFileEx on Windows), exclusive or shared with other shared holders. One
// updater per keyboard rests on it.
#pragma once

#include <cstdint>
#include <string>

namespace vexaro::sys {

class FileLock {
 public:
  enum class Result { kAcquired, kHeld, kFailed };
  enum class Mode { kExclusive, kShared };

  FileLock() = default;
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  // Opens (creating if need be, never through a symbolic link) and locks the
  // file at path without waiting. kHeld: another process (or another lock in
  // this one) holds it in a way that excludes `mode`. kFailed: the file
  // cannot be made or locked.
  Result TryAcquire(const std::string& path, Mode mode = Mode::kExclusive);
  bool Held() const { return handle_ != -1; }
  void Release();

 private:
  std::intptr_t handle_ = -1;
};

// The folder for lock files that every user of the machine sees: /run/lock
// (or /tmp) on Linux, the temporary folder on Windows.
std::string SharedLockFolder();

}  // namespace vexaro::sys
