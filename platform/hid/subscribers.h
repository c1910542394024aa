// The device-event subscribers of a HID backend, for the native backends to
// share. Dispatch runs on the backend's event thread; Remove waits for a
// callback of that subscription that is running, so a caller can free what
// its callback uses once Remove returns.
#pragma once

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>

#include "platform/hid/hid.h"

namespace vexaro::hid {

class Subscribers {
 public:
  // Returns the new id (never 0).
  SubscriptionId Add(DeviceEventCallback callback);
  void Remove(SubscriptionId id);
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

}  // namespace vexaro::hid
