// The scaled clock. Program time advances `scale` times faster than real
// time; a change of scale rebases so the clock never jumps or runs backwards.
#include "platform/sys/sys.h"

#include <cstdlib>
#include <mutex>
#include <thread>

namespace vexaro::sys {
namespace {

using RealClock = std::chrono::steady_clock;

struct ClockState {
  std::mutex mutex;
  double scale = 1.0;
  RealClock::time_point realBase;
  double programBaseMs = 0;  // program time at realBase
};

double ScaleFromEnvironment() {
  const char* text = std::getenv("VEXARO_CLOCK_SCALE");
  if (text == nullptr || *text == '\0') return 1.0;
  char* end = nullptr;
  double value = std::strtod(text, &end);
  if (end == text || !(value > 0.0) || value > 1e6) return 1.0;
  return value;
}

ClockState& State() {
  static ClockState* state = [] {
    auto* s = new ClockState;
    s->scale = ScaleFromEnvironment();
    s->realBase = RealClock::now();
    auto wall = std::chrono::system_clock::now().time_since_epoch();
    s->programBaseMs =
        static_cast<double>(std::chrono::duration_cast<std::chrono::milliseconds>(wall).count());
    return s;
  }();
  return *state;
}

double ProgramMsLocked(ClockState& s, RealClock::time_point now) {
  std::chrono::duration<double, std::milli> real = now - s.realBase;
  return s.programBaseMs + real.count() * s.scale;
}

}  // namespace

std::uint64_t NowMs() {
  ClockState& s = State();
  std::lock_guard lock(s.mutex);
  return static_cast<std::uint64_t>(ProgramMsLocked(s, RealClock::now()));
}

std::int64_t NowSeconds() { return static_cast<std::int64_t>(NowMs() / 1000); }

std::chrono::nanoseconds RealDuration(std::uint64_t ms) {
  double scale = ClockScale();
  double ns = static_cast<double>(ms) * 1e6 / scale;
  return std::chrono::nanoseconds(static_cast<std::int64_t>(ns));
}

void SleepMs(std::uint32_t ms) {
  if (ms == 0) {
    std::this_thread::yield();
    return;
  }
  // Sleep until the program clock has passed the deadline: a system sleep may
  // end early (Windows drops fractions of a real millisecond, so a scaled
  // sleep can take no time at all), and the scale may change meanwhile.
  const std::uint64_t deadline = NowMs() + ms;
  for (std::uint64_t now = NowMs(); now < deadline; now = NowMs()) {
    std::this_thread::sleep_for(RealDuration(deadline - now));
  }
}

void SleepUntilMs(std::uint64_t deadlineMs) {
  const auto target = static_cast<double>(deadlineMs);
  for (;;) {
    double now = 0, scale = 1;
    {
      ClockState& s = State();
      std::lock_guard lock(s.mutex);
      now = ProgramMsLocked(s, RealClock::now());
      scale = s.scale;
    }
    if (now >= target) return;
    // Measured in fractions of a millisecond, unlike SleepMs, and re-checked
    // after waking because the scale may change meanwhile.
    const auto ns = static_cast<std::int64_t>((target - now) * 1e6 / scale) + 1;
    std::this_thread::sleep_for(std::chrono::nanoseconds(ns));
  }
}

void SetClockScale(double factor) {
  if (!(factor > 0.0)) return;
  ClockState& s = State();
  std::lock_guard lock(s.mutex);
  auto now = RealClock::now();
  s.programBaseMs = ProgramMsLocked(s, now);
  s.realBase = now;
  s.scale = factor;
}

double ClockScale() {
  ClockState& s = State();
  std::lock_guard lock(s.mutex);
  return s.scale;
}

}  // namespace vexaro::sys
