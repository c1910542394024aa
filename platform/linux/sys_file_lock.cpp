// Linux lock files: flock on a descriptor opened for reading, so that a file
// another user created (mode 0644) can be locked as well as written ones.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/sys/file_lock.h"

namespace vexaro::sys {

FileLock::~FileLock() { Release(); }

void FileLock::Release() {
  if (handle_ != -1) ::close(static_cast<int>(handle_));
  handle_ = -1;
}

FileLock::Result FileLock::TryAcquire(const std::string& path, Mode mode) {
  Release();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0644);
  if (fd < 0) return Result::kFailed;
  if (::flock(fd, (mode == Mode::kShared ? LOCK_SH : LOCK_EX) | LOCK_NB) != 0) {
    const int error = errno;
    ::close(fd);
    return error == EWOULDBLOCK ? Result::kHeld : Result::kFailed;
  }
  handle_ = fd;
  return Result::kAcquired;
}

std::string SharedLockFolder() {
  struct stat st {};
  if (::stat("/run/lock", &st) == 0 && S_ISDIR(st.st_mode) && ::access("/run/lock", W_OK) == 0) return "/run/lock";
  return "/tmp";
}

}  // namespace vexaro::sys
