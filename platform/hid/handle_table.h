// The open handles of a native HID backend: numbers never reused within the
// process, each naming an open interface that the transfers running on it
// share, so that a Close on another thread never frees what a read still uses.
// A handle whose device went stays in the table (its owner still closes it)
// but every query on it fails with kGone.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <utility>

#include "platform/hid/backend.h"
#include "platform/hid/hid.h"
#include "platform/hid/removal_mark.h"

namespace vexaro::hid {

// Interface: the backend's record of an open interface, with the attributes
// and caps read when it was opened, its RemovalMark `removal` and the
// `ErrorPath()` its failures name.
template <typename Interface>
class HandleTable {
 public:
  using Entries = std::map<Handle, std::shared_ptr<Interface>>;

  // The table is guarded by the backend's lock, which may guard more of the
  // backend's state with it.
  explicit HandleTable(std::mutex& mutex) : mutex_(mutex) {}

  // The caller holds the lock.
  Handle AddLocked(std::shared_ptr<Interface> open) {
    entries_.emplace(++lastHandle_, std::move(open));
    return lastHandle_;
  }

  std::shared_ptr<Interface> Find(Handle handle) {
    std::lock_guard lock(mutex_);
    auto it = entries_.find(handle);
    return it == entries_.end() ? nullptr : it->second;
  }

  // The interface of an open handle whose device is still there; nullptr
  // otherwise, with the calling thread's reason: kGone for a handle whose
  // device went, kOther for one that is not open.
  std::shared_ptr<Interface> FindLive(Handle handle) {
    auto open = Find(handle);
    if (!open) {
      NotOpen();
      return nullptr;
    }
    if (open->removal.IsSet()) {
      RemovalMark::Refuse(open->ErrorPath());
      return nullptr;
    }
    return open;
  }

  // Removes the handle and returns its interface; nullptr when it was not open.
  std::shared_ptr<Interface> Take(Handle handle) {
    std::lock_guard lock(mutex_);
    auto it = entries_.find(handle);
    if (it == entries_.end()) return nullptr;
    std::shared_ptr<Interface> open = std::move(it->second);
    entries_.erase(it);
    return open;
  }

  // kOther for the calling thread: the handle is not open. Always false.
  static bool NotOpen() {
    SetThreadError(Reason::kOther, "not an open handle", "");
    return false;
  }

  // The caller holds the lock.
  Entries& EntriesLocked() { return entries_; }

  // Both fail as FindLive does.
  bool GetAttributes(Handle handle, Attributes& attributes) {
    auto open = FindLive(handle);
    if (open) attributes = open->attributes;
    return open != nullptr;
  }

  bool GetCaps(Handle handle, Caps& caps) {
    auto open = FindLive(handle);
    if (open) caps = open->caps;
    return open != nullptr;
  }

 private:
  std::mutex& mutex_;
  Entries entries_;
  Handle lastHandle_ = 0;
};

}  // namespace vexaro::hid
