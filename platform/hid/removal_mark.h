// Whether the device of an open interface has gone, as a native backend
// learns it: from the first call the system failed for that reason, or from
// the removal notice. Once set, every call on the handle fails at once with
// kGone, so nothing above polls a dead node until its time runs out.
#pragma once

#include <atomic>
#include <string>

#include "platform/hid/backend.h"

namespace vexaro::hid {

class RemovalMark {
 public:
  void Set() { removed_.store(true, std::memory_order_release); }
  bool IsSet() const { return removed_.load(std::memory_order_acquire); }

  // Sets the mark when the failure says the device went; passes it on to
  // the calling thread's LastError either way. Always false.
  bool NoteFailure(Error error) {
    if (error.reason == Reason::kGone) Set();
    SetThreadError(std::move(error));
    return false;
  }

  // kGone for the calling thread, naming what was opened. Always false.
  static bool Refuse(const std::string& path) {
    SetThreadError(Reason::kGone, "the device was removed", path);
    return false;
  }

 private:
  std::atomic<bool> removed_{false};
};

}  // namespace vexaro::hid
