// The device-event subscribers of the hidraw backend. Dispatch runs on the
// monitor thread; Remove waits for a callback of that subscription that is
// running, so a caller can free what its callback uses once Remove returns.
#pragma once

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>

#include "platform/hid/hid.h"

namespace vexaro::hid::hidraw {

class Subscribers {
 public:
  // Returns the new id (never 0) and whether it is the first subscriber.
  SubscriptionId Add(DeviceEventCallback callback, bool& first);
  // True when it was the last subscriber.
  bool Remove(SubscriptionId id);
  void Dispatch(const DeviceEvent& event);

 private:
  struct Entry {
    DeviceEventCallback callback;
    bool removed = false;
    int running = 0;
  };
  std::mutex mutex_;
  std::condition_variable idle_;
  std::map<SubscriptionId, std::shared_ptr<Entry>> entries_;
  SubscriptionId lastId_ = 0;
};

}  // namespace vexaro::hid::hidraw
