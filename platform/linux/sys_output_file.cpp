// Linux output files: O_CREAT|O_EXCL|O_NOFOLLOW, so that neither a file
// nor a link planted under the temporary name is written through; fsync
// before rename, so that the renamed file holds its bytes after a crash.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/sys/output_file.h"

namespace vexaro::sys {
namespace {

constexpr int kNameAttempts = 16;  // a collision of 64 random bits is already unheard of

}  // namespace

OutputFile::~OutputFile() { Discard(); }

void OutputFile::Close() {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));
  handle_ = -1;
}

bool OutputFile::Create(const std::string& target, bool executable) {
  Discard();
  target_ = target;
  const mode_t mode = executable ? 0777 : 0666;  // narrowed by the umask as for any new file
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    const std::string name = TemporaryNameBeside(target);
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd >= 0) {
      handle_ = fd;
      temporary_ = name;
      return true;
    }
    if (errno != EEXIST) {
      failure_ = std::strerror(errno);
      return false;
    }
  }
  failure_ = "no unused temporary name";
  return false;
}

bool OutputFile::Write(std::span<const std::uint8_t> bytes) {
  if (handle_ < 0) return false;
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(static_cast<int>(handle_), bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      failure_ = n < 0 ? std::strerror(errno) : "nothing written";
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool OutputFile::Commit() {
  if (handle_ < 0) return false;
  const bool synced = ::fsync(static_cast<int>(handle_)) == 0;
  const int syncError = errno;
  const bool closed = ::close(static_cast<int>(handle_)) == 0;
  handle_ = -1;
  if (!synced || !closed) {
    failure_ = std::strerror(synced ? errno : syncError);
    return false;
  }
  if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
    failure_ = std::strerror(errno);
    return false;
  }
  temporary_.clear();
  return true;
}

void OutputFile::Discard() {
  Close();
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat first {}, second {};
  if (::stat(a.c_str(), &first) != 0 || ::stat(b.c_str(), &second) != 0) return false;
  return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

}  // namespace vexaro::sys
