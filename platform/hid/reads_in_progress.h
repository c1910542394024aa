// The reads in progress on one open interface of a native HID backend, so
// that a cancel reaches those reads only, as CancelIo does: the backend's
// wake-up is raised while one waits and cleared by the last reader to leave.
#pragma once

#include <mutex>

namespace vexaro::hid {

class ReadsInProgress {
 public:
  void Begin() {
    std::lock_guard lock(mutex_);
    ++count_;
  }

  // clear() lowers the wake-up once no read is left.
  template <typename Clear>
  void End(Clear clear) {
    std::lock_guard lock(mutex_);
    if (--count_ == 0) clear();
  }

  // wake() raises the wake-up when a read is in progress.
  template <typename Wake>
  void Cancel(Wake wake) {
    std::lock_guard lock(mutex_);
    if (count_ > 0) wake();
  }

 private:
  std::mutex mutex_;
  int count_ = 0;
};

}  // namespace vexaro::hid
