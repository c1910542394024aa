// Windows lock files: the first byte locked exclusively with LockFileEx; the
// system drops the lock with the handle when the holder ends.
#include <windows.h>

#include "platform/sys/file_lock.h"
#include "platform/windows/sys_handle.h"

namespace vexaro::sys {

FileLock::~FileLock() { Release(); }

void FileLock::Release() {
  if (handle_ != -1) CloseHandle(AsHandle(handle_));
  handle_ = -1;
}

FileLock::Result FileLock::TryAcquire(const std::string& path, Mode mode) {
  Release();
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) return Result::kFailed;
  OVERLAPPED at{};
  const DWORD kind = mode == Mode::kShared ? 0 : LOCKFILE_EXCLUSIVE_LOCK;
  if (!LockFileEx(file, kind | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
    const DWORD error = GetLastError();
    CloseHandle(file);
    return error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING ? Result::kHeld : Result::kFailed;
  }
  handle_ = reinterpret_cast<std::intptr_t>(file);
  return Result::kAcquired;
}

std::string SharedLockFolder() {
  char folder[MAX_PATH + 1] = {};
  const DWORD n = GetTempPathA(sizeof folder, folder);
  std::string path(folder, n > 0 && n < sizeof folder ? n : 0);
  while (!path.empty() && (path.back() == '\\' || path.back() == '/')) path.pop_back();
  return path.empty() ? "." : path;
}

}  // namespace vexaro::sys
