// What the native HID backends do alike above their system calls: the table
// of open handles with its lock, the device-event subscribers, and the calls
// that only look a handle up or frame a read (its count for CancelIo, the
// removal before and during the wait). A backend adds opening, transfers and
// its system's device events.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <utility>

#include "platform/hid/backend.h"
#include "platform/hid/handle_table.h"
#include "platform/hid/removal_mark.h"
#include "platform/hid/subscribers.h"

namespace vexaro::hid {

// Interface: as HandleTable's, with its ReadsInProgress `reads`, and Wake()
// and ClearWake() raising and lowering what ends its waiting reads.
template <typename Interface>
class NativeBackendBase : public Backend {
 public:
  bool Close(Handle handle) final {
    std::shared_ptr<Interface> open = handles_.Take(handle);
    if (!open) return HandleTable<Interface>::NotOpen();
    Closing(*open);
    open->Wake();  // a read still waiting ends; the system's handle closes after it
    return true;
  }

  bool GetAttributes(Handle handle, Attributes& attributes) final {
    return handles_.GetAttributes(handle, attributes);
  }

  bool GetCaps(Handle handle, Caps& caps) final { return handles_.GetCaps(handle, caps); }

  ReadResult ReadInputReport(Handle handle, std::uint8_t* data, std::size_t length, std::uint32_t timeoutMs,
                             std::size_t* bytesRead) final {
    if (bytesRead != nullptr) *bytesRead = 0;
    std::shared_ptr<Interface> open = handles_.Find(handle);
    if (!open) {
      HandleTable<Interface>::NotOpen();
      return ReadResult::kFailed;
    }
    if (!Readable(*open)) return ReadResult::kFailed;
    // Counted before the mark is looked at, so a removal after the look
    // finds this read in progress and wakes it.
    open->reads.Begin();
    const ReadResult result = ReadUnlessRemoved(*open, data, length, timeoutMs, bytesRead);
    open->reads.End([&] { open->ClearWake(); });
    return result;
  }

  // A cancel reaches the reads in progress only, as CancelIo does: the
  // wake-up is raised while one waits and lowered by the last reader to leave.
  bool CancelIo(Handle handle) final {
    std::shared_ptr<Interface> open = handles_.FindLive(handle);
    if (!open) return false;
    open->reads.Cancel([&] { open->Wake(); });
    return true;
  }

  SubscriptionId Subscribe(DeviceEventCallback callback) final {
    const SubscriptionId id = subscribers_.Add(std::move(callback));
    StartEvents();  // once; later calls return at once
    return id;
  }

  void Unsubscribe(SubscriptionId id) final { subscribers_.Remove(id); }

 protected:
  // The read itself, on a handle whose device was there when it began; a
  // failure leaves its reason (and the removal mark, if the device went).
  virtual ReadResult ReadOpen(Interface& open, std::uint8_t* data, std::size_t length, std::uint32_t timeoutMs,
                              std::size_t* bytesRead) = 0;
  // Starts watching the system's device events (the first call only).
  virtual void StartEvents() = 0;
  // False, with the thread's reason, for a handle that may not be read.
  virtual bool Readable(const Interface&) { return true; }
  // What the backend releases as a handle closes, before its reads are woken.
  virtual void Closing(Interface&) {}

  // The device of an open handle went: later calls fail, waiting reads end.
  // The caller holds the lock.
  static void MarkRemovedLocked(Interface& open) {
    open.removal.Set();
    open.reads.Cancel([&open] { open.Wake(); });
  }

  std::mutex mutex_;  // guards handles_ and what the backend says besides
  HandleTable<Interface> handles_{mutex_};
  Subscribers subscribers_;

 private:
  // A handle whose device went reads nothing; the removal wakes a waiting
  // read as a cancel does, and the read ends as a failure.
  ReadResult ReadUnlessRemoved(Interface& open, std::uint8_t* data, std::size_t length, std::uint32_t timeoutMs,
                               std::size_t* bytesRead) {
    if (open.removal.IsSet()) {
      RemovalMark::Refuse(open.ErrorPath());
      return ReadResult::kFailed;
    }
    const ReadResult result = ReadOpen(open, data, length, timeoutMs, bytesRead);
    if (result != ReadResult::kCancelled || !open.removal.IsSet()) return result;
    RemovalMark::Refuse(open.ErrorPath());
    return ReadResult::kFailed;
  }
};

}  // namespace vexaro::hid
