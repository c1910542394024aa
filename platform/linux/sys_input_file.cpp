// Linux input files: opened with O_NONBLOCK so that a FIFO without a writer
// or a device cannot hold the program, then checked with fstat.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/sys/input_file.h"

namespace vexaro::sys {
namespace {

FileProblem ProblemOf(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR: return FileProblem::NotFound;
    case EACCES:
    case EPERM: return FileProblem::PermissionDenied;
    case EISDIR: return FileProblem::IsFolder;
    default: return FileProblem::ReadFailed;
  }
}

}  // namespace

FileProblem InputFile::OpenSystemFile(const std::string& path, std::intptr_t& handle, std::uint64_t& size) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return ProblemOf(errno);
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    const int error = errno;
    ::close(fd);
    return ProblemOf(error);
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    return S_ISDIR(st.st_mode) ? FileProblem::IsFolder : FileProblem::NotRegular;
  }
  handle = fd;
  size = static_cast<std::uint64_t>(st.st_size);
  return FileProblem::None;
}

void InputFile::CloseSystemFile(std::intptr_t handle) { ::close(static_cast<int>(handle)); }

std::size_t InputFile::ReadSystemFile(std::intptr_t handle, std::uint64_t offset, std::span<std::uint8_t> out) {
  for (;;) {
    const ssize_t n = ::pread(static_cast<int>(handle), out.data(), out.size(), static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    return n > 0 ? static_cast<std::size_t>(n) : 0;
  }
}

}  // namespace vexaro::sys
