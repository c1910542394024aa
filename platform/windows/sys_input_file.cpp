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

FileProblem InputFile::OpenSystemFile(const std::string& path, std::intptr_t& handle, std::uint64_t& size) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return FileProblem::IsFolder;
  }
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return ProblemOf(GetLastError());
  LARGE_INTEGER length{};
  if (GetFileType(file) != FILE_TYPE_DISK || !GetFileSizeEx(file, &length) || length.QuadPart < 0) {
    CloseHandle(file);
    return FileProblem::NotRegular;
  }
  handle = reinterpret_cast<std::intptr_t>(file);
  size = static_cast<std::uint64_t>(length.QuadPart);
  return FileProblem::None;
}

void InputFile::CloseSystemFile(std::intptr_t handle) { CloseHandle(AsHandle(handle)); }

std::size_t InputFile::ReadSystemFile(std::intptr_t handle, std::uint64_t offset, std::span<std::uint8_t> out) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  // ReadFile takes a 32-bit count; a larger read comes in several pieces.
  const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(out.size(), 1u << 30));
  DWORD n = 0;
  return ReadFile(AsHandle(handle), out.data(), chunk, &n, &at) ? n : 0;
}

}  // namespace vexaro::sys
