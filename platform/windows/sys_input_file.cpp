// Windows input files: opened for shared reading; anything whose type is not
// a disk file (a pipe, a console, a device) is refused before a read.
#include <windows.h>

#include <algorithm>
#include <cstdint>

#include "platform/sys/input_file.h"
#include "platform/windows/sys_handle.h"

namespace vexaro::sys {

namespace {

FileProblem ProblemOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME: return FileProblem::NotFound;
    case ERROR_ACCESS_DENIED: return FileProblem::PermissionDenied;
    default: return FileProblem::ReadFailed;
  }
}


}  // namespace

InputFile::~InputFile() { Close(); }

void InputFile::Close() {
  if (handle_ != -1) CloseHandle(AsHandle(handle_));
  handle_ = -1;
  size_ = 0;
}

FileProblem InputFile::Open(const std::string& path) {
  Close();
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return FileProblem::IsFolder;
  }
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return ProblemOf(GetLastError());
  LARGE_INTEGER size{};
  if (GetFileType(file) != FILE_TYPE_DISK || !GetFileSizeEx(file, &size) || size.QuadPart < 0) {
    CloseHandle(file);
    return FileProblem::NotRegular;
  }
  handle_ = reinterpret_cast<std::intptr_t>(file);
  size_ = static_cast<std::uint64_t>(size.QuadPart);
  return FileProblem::None;
}

bool InputFile::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const {
  if (handle_ == -1) return false;
  std::size_t done = 0;
  while (done < out.size()) {
    OVERLAPPED at{};
    const std::uint64_t position = offset + done;
    at.Offset = static_cast<DWORD>(position);
    at.OffsetHigh = static_cast<DWORD>(position >> 32);
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(out.size() - done, 1u << 30));
    DWORD n = 0;
    if (!ReadFile(AsHandle(handle_), out.data() + done, chunk, &n, &at) || n == 0) return false;
    done += n;
  }
  return true;
}

}  // namespace vexaro::sys
