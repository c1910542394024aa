// Lets one test thread lose root's file access for a while: the raw system
// call changes only the calling thread's effective user (glibc's setresuid
// would change every thread), and back on destruction. Without root it does
// nothing, as the test already runs without those rights.
#pragma once

#include <sys/syscall.h>
#include <unistd.h>

namespace vexaro::hid::test {

class ThreadAsNobody {
 public:
  static constexpr long kNobody = 65534;
  ThreadAsNobody() {
    if (::geteuid() == 0) dropped_ = ::syscall(SYS_setresuid, -1L, kNobody, -1L) == 0;
  }
  ~ThreadAsNobody() {
    if (dropped_) ::syscall(SYS_setresuid, -1L, 0L, -1L);
  }
  ThreadAsNobody(const ThreadAsNobody&) = delete;
  ThreadAsNobody& operator=(const ThreadAsNobody&) = delete;

 private:
  bool dropped_ = false;
};

}  // namespace vexaro::hid::test
