// hidraw system calls. Reads try the descriptor first and wait in poll only
// when nothing is queued, so a report already there never waits, and a device
// whose poll never reports readiness (an emulated one) is still read after
// each wait.
#include "platform/linux/hid_node.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>

#include "platform/linux/hid_ioctl.h"
#include "platform/sys/sys.h"

namespace vexaro::hid::hidraw {
namespace {

// The kernel does not change under a running process: one refusal of
// HIDIOCGINPUT stands for all nodes and all later calls.
std::atomic<bool> getReportRefused{false};

// The size field of an ioctl number has 14 bits: no GET_REPORT buffer longer.
constexpr std::size_t kMaxIoctlLength = (1u << 14) - 1;

int OpenFlags(Access access) {
  switch (access) {
    case Access::kWrite: return O_WRONLY;
    case Access::kReadWrite: return O_RDWR;
    case Access::kQuery:
    case Access::kOverlappedRead: return O_RDONLY;
  }
  return O_RDONLY;
}

std::string RefusalText(const std::string& devnode, int error) {
  if (error == EACCES || error == EPERM) {
    return "hid: no permission to open " + devnode + "; install " + kUdevRuleName +
           " into /etc/udev/rules.d (or lib/udev/rules.d) and run "
           "'udevadm control --reload && udevadm trigger', then plug the keyboard in again";
  }
  return "hid: cannot open " + devnode + ": " + std::strerror(error);
}

// What is left of the time limit in real milliseconds for poll: -1 waits
// without limit; a remainder below one millisecond rounds up to one.
int PollTimeout(std::uint32_t timeoutMs, std::uint64_t deadline) {
  if (timeoutMs == kNoTimeLimit) return -1;
  const std::uint64_t now = sys::NowMs();
  if (now >= deadline) return 0;
  const auto real = std::chrono::ceil<std::chrono::milliseconds>(sys::RealDuration(deadline - now));
  return static_cast<int>(std::clamp<std::int64_t>(real.count(), 1, INT_MAX));
}

// One non-blocking read in the Windows layout. 1: a report; 0: none queued;
// -1: the device failed or went.
int TryRead(int fd, bool numbered, std::uint8_t* data, std::size_t length, std::size_t* bytesRead) {
  const std::size_t offset = numbered ? 0 : 1;
  if (length <= offset) {
    errno = EMSGSIZE;
    return -1;
  }
  ssize_t n = 0;
  do {
    n = ::read(fd, data + offset, length - offset);
  } while (n < 0 && errno == EINTR);
  if (n < 0) return (errno == EAGAIN || errno == EWOULDBLOCK) ? 0 : -1;
  if (n == 0) {  // end of file: the node is gone
    errno = ENODEV;
    return -1;
  }
  if (!numbered) data[0] = 0;
  if (bytesRead != nullptr) *bytesRead = static_cast<std::size_t>(n) + offset;
  return 1;
}

}  // namespace

int OpenNode(const std::string& devnode, Access access, std::string& error) {
  const int fd = ::open(devnode.c_str(), OpenFlags(access) | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    const int refusal = errno;
    error = RefusalText(devnode, refusal);
    errno = refusal;
  }
  return fd;
}

bool ReadNodeDescriptor(int fd, std::vector<std::uint8_t>& descriptor) {
  int size = 0;
  if (::ioctl(fd, HIDIOCGRDESCSIZE, &size) < 0) return false;
  if (size < 0 || size > HID_MAX_DESCRIPTOR_SIZE) {
    errno = EMSGSIZE;
    return false;
  }
  hidraw_report_descriptor raw{};
  raw.size = static_cast<std::uint32_t>(size);
  if (::ioctl(fd, HIDIOCGRDESC, &raw) < 0) return false;
  descriptor.assign(raw.value, raw.value + size);
  return true;
}

bool WriteNodeReport(int fd, const std::uint8_t* data, std::size_t length) {
  if (data == nullptr || length == 0) {
    errno = EINVAL;
    return false;
  }
  ssize_t n = 0;
  do {
    n = ::write(fd, data, length);
  } while (n < 0 && errno == EINTR);
  if (n >= 0 && static_cast<std::size_t>(n) != length) errno = EMSGSIZE;  // cut short
  return n >= 0 && static_cast<std::size_t>(n) == length;
}

bool GetNodeInputReport(int fd, std::uint8_t* data, std::size_t length) {
  // Not EINVAL: from this call that would read as a kernel without GET_REPORT.
  if (data == nullptr || length == 0 || length > kMaxIoctlLength) {
    errno = EMSGSIZE;
    return false;
  }
  if (KernelRefusedGetReport()) {
    errno = ENOTTY;
    return false;
  }
  int n = 0;
  do {
    n = ::ioctl(fd, HIDIOCGINPUT(length), data);
  } while (n < 0 && errno == EINTR);
  if (n < 0 && (errno == ENOTTY || errno == EINVAL)) getReportRefused.store(true);
  if (n == 0) errno = ENODATA;
  return n > 0;
}

bool KernelRefusedGetReport() { return getReportRefused.load(); }

void ForgetGetReportRefusal() { getReportRefused.store(false); }

ReadResult ReadNodeReport(int fd, int cancelFd, bool numbered, std::uint8_t* data,
                          std::size_t length, std::uint32_t timeoutMs, std::size_t* bytesRead) {
  if (bytesRead != nullptr) *bytesRead = 0;
  if (data == nullptr) {
    errno = EINVAL;
    return ReadResult::kFailed;
  }
  const std::uint64_t deadline = sys::NowMs() + (timeoutMs == kNoTimeLimit ? 0 : timeoutMs);
  for (;;) {
    const int got = TryRead(fd, numbered, data, length, bytesRead);
    if (got != 0) return got > 0 ? ReadResult::kOk : ReadResult::kFailed;
    pollfd fds[2] = {{fd, POLLIN, 0}, {cancelFd, POLLIN, 0}};
    const int timeout = PollTimeout(timeoutMs, deadline);
    if (timeout == 0) return ReadResult::kTimedOut;
    const int ready = ::poll(fds, 2, timeout);
    if (ready < 0 && errno != EINTR) return ReadResult::kFailed;
    if ((fds[1].revents & POLLIN) != 0) return ReadResult::kCancelled;
    if ((fds[0].revents & POLLIN) == 0 && (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
      errno = ENODEV;
      return ReadResult::kFailed;
    }
  }
}

}  // namespace vexaro::hid::hidraw
