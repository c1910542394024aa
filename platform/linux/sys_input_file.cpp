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

InputFile::~InputFile() { Close(); }

void InputFile::Close() {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));
  handle_ = -1;
  size_ = 0;
}

FileProblem InputFile::Open(const std::string& path) {
  Close();
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
  handle_ = fd;
  size_ = static_cast<std::uint64_t>(st.st_size);
  return FileProblem::None;
}

bool InputFile::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const {
  if (handle_ < 0) return false;
  std::size_t done = 0;
  while (done < out.size()) {
    const ssize_t n = ::pread(static_cast<int>(handle_), out.data() + done, out.size() - done,
                              static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace vexaro::sys
