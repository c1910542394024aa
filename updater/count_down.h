// The count-down every wait for the keyboard uses: counted seconds that do
// not count while the system is still installing a device driver.
#pragma once

#include <cstdint>

namespace vexaro::updater {

// How long the connection and the worker wait for the keyboard to appear in
// a mode: long enough for a first-time driver installation that the system
// does not report as pending, short enough for a person to give up waiting.
inline constexpr int kKeyboardWaitSeconds = 120;
// One counted second.
inline constexpr std::uint32_t kCountedSecondMs = 1000;

class CountDown {
 public:
  explicit CountDown(int seconds) : left_(seconds) {}
  bool Running() const { return left_ > 0; }
  int Left() const { return left_; }
  // Counts one second unless installations are pending, then sleeps one
  // second of the program clock.
  void Tick();

 private:
  int left_;
};

}  // namespace vexaro::updater
