// What input files do alike on both systems: their life from open to close,
// reads in as many pieces as the system gives, and the problems' texts.
#include "platform/sys/input_file.h"

namespace vexaro::sys {

InputFile::~InputFile() { Close(); }

void InputFile::Close() {
  if (handle_ != kClosed) CloseSystemFile(handle_);
  handle_ = kClosed;
  size_ = 0;
}

FileProblem InputFile::Open(const std::string& path) {
  Close();
  std::intptr_t handle = kClosed;
  std::uint64_t size = 0;
  const FileProblem problem = OpenSystemFile(path, handle, size);
  if (problem != FileProblem::None) return problem;
  handle_ = handle;
  size_ = size;
  return FileProblem::None;
}

bool InputFile::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const {
  if (handle_ == kClosed) return false;
  std::size_t done = 0;
  while (done < out.size()) {
    const std::size_t n = ReadSystemFile(handle_, offset + done, out.subspan(done));
    if (n == 0) return false;
    done += n;
  }
  return true;
}

const char* FileProblemText(FileProblem problem) {
  switch (problem) {
    case FileProblem::None: return "";
    case FileProblem::NotFound: return "not found";
    case FileProblem::IsFolder: return "is a folder";
    case FileProblem::PermissionDenied: return "permission denied";
    case FileProblem::NotRegular: return "not a regular file";
    case FileProblem::ReadFailed: return "cannot be read";
  }
  return "cannot be read";
}

}  // namespace vexaro::sys
