// The open handles of a native HID backend: numbers never reused within the
// process, each naming an open interface that the transfers running on it
// share, so that a Close on another thread never frees what a read still uses.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <utility>

#include "platform/hid/hid.h"

namespace vexaro::hid {

// Interface: the backend's record of an open interface, with the attributes
// and caps read when it was opened.
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

  // Removes the handle and returns its interface; nullptr when it was not open.
  std::shared_ptr<Interface> Take(Handle handle) {
    std::lock_guard lock(mutex_);
    auto it = entries_.find(handle);
    if (it == entries_.end()) return nullptr;
    std::shared_ptr<Interface> open = std::move(it->second);
    entries_.erase(it);
    return open;
  }

  // The caller holds the lock.
  Entries& EntriesLocked() { return entries_; }

  bool GetAttributes(Handle handle, Attributes& attributes) {
    auto open = Find(handle);
    if (open) attributes = open->attributes;
    return open != nullptr;
  }

  bool GetCaps(Handle handle, Caps& caps) {
    auto open = Find(handle);
    if (open) caps = open->caps;
    return open != nullptr;
  }

 private:
  std::mutex& mutex_;
  Entries entries_;
  Handle lastHandle_ = 0;
};

}  // namespace vexaro::hid
