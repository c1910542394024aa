// Hears the system go to sleep and wake up, for the HID suspend and resume
// events: logind's PrepareForSleep signal on the system bus where the build
// has sd-bus, nothing otherwise.
#pragma once

#include <functional>
#include <memory>

namespace vexaro::hid::hidraw {

class SleepWatch {
 public:
  SleepWatch();
  ~SleepWatch();
  SleepWatch(const SleepWatch&) = delete;
  SleepWatch& operator=(const SleepWatch&) = delete;

  // Descriptor and poll events to wait for; -1 when there is no source.
  int Fd() const;
  short Events() const;
  // Handles what arrived: onSleep(true) before the system sleeps, onSleep(false)
  // after it woke.
  void Process(const std::function<void(bool sleeping)>& onSleep);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace vexaro::hid::hidraw
