// Subscriber bookkeeping: callbacks run without the lock held, so they may
// call back into the HID platform.
#include "platform/hid/subscribers.h"

#include <vector>

namespace vexaro::hid {

SubscriptionId Subscribers::Add(DeviceEventCallback callback) {
  std::lock_guard lock(mutex_);
  auto entry = std::make_shared<Entry>();
  entry->callback = std::move(callback);
  entries_.emplace(++lastId_, std::move(entry));
  return lastId_;
}

void Subscribers::Remove(SubscriptionId id) {
  std::unique_lock lock(mutex_);
  auto it = entries_.find(id);
  if (it == entries_.end()) return;
  std::shared_ptr<Entry> entry = it->second;
  entries_.erase(it);
  entry->removed = true;
  idle_.wait(lock, [&] { return entry->running == 0; });
}

void Subscribers::Dispatch(const DeviceEvent& event) {
  std::vector<std::shared_ptr<Entry>> targets;
  {
    std::lock_guard lock(mutex_);
    for (auto& [id, entry] : entries_) targets.push_back(entry);
  }
  for (const auto& entry : targets) {
    {
      std::lock_guard lock(mutex_);
      if (entry->removed) continue;
      ++entry->running;
    }
    if (entry->callback) entry->callback(event);
    std::lock_guard lock(mutex_);
    --entry->running;
    idle_.notify_all();
  }
}

}  // namespace vexaro::hid
