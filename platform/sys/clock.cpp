// The scaled clock. Program time advances `scale` times faster than real
// time; a change of scale rebases so the clock never jumps or runs backwards.
#include "platform/sys/sys.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <mutex>
#include <thread>

#ifdef __linux__
#include <cerrno>
#include <ctime>
#endif

namespace vexaro::sys {
namespace {

using RealClock = std::chrono::steady_clock;

struct ClockState {
  std::mutex mutex;
  double scale = 1.0;
  RealClock::time_point realBase;
  double programBaseMs = 0;  // program time at realBase
  // Counts the changes of scale, so that a sleeper can tell without the lock
  // whether the mapping it read still holds.
  std::atomic<std::uint64_t> changes{0};
};

// The mapping from real to program time as it stood at one moment.
struct Mapping {
  double scale = 1.0;
  RealClock::time_point realBase;
  double programBaseMs = 0;
  std::uint64_t changes = 0;
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

Mapping CurrentMapping() {
  ClockState& s = State();
  std::lock_guard lock(s.mutex);
  return {s.scale, s.realBase, s.programBaseMs, s.changes.load(std::memory_order_relaxed)};
}

double ProgramMs(const Mapping& m, RealClock::time_point now) {
  std::chrono::duration<double, std::milli> real = now - m.realBase;
  return m.programBaseMs + real.count() * m.scale;
}

// The first real instant at which the mapping's program time reaches
// targetMs, rounded up so that a sleep to it does not end a hair early. A
// deadline beyond a century is held there rather than overflowing.
RealClock::time_point RealInstant(const Mapping& m, double targetMs) {
  constexpr double kCenturyNs = 100 * 365.25 * 86400 * 1e9;
  const double realNs = std::min((targetMs - m.programBaseMs) / m.scale * 1e6, kCenturyNs);
  return m.realBase + std::chrono::nanoseconds(static_cast<std::int64_t>(std::ceil(realNs)) + 1);
}

// Sleeps until the steady clock reaches `when`. On Linux the steady clock is
// CLOCK_MONOTONIC, so the system sleeps to the instant itself: no relative
// time is computed before the call and then stretched by a preemption. The
// other runtimes sleep a relative time and may wake early; callers re-check.
void SleepUntilReal(RealClock::time_point when) {
#ifdef __linux__
  const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(when.time_since_epoch()).count();
  timespec at{};
  at.tv_sec = static_cast<std::time_t>(ns / 1000000000);
  at.tv_nsec = static_cast<long>(ns % 1000000000);
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR) {
  }
#else
  std::this_thread::sleep_until(when);
#endif
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
  Mapping mapping = CurrentMapping();
  // A wake-up costs a clock read and an atomic load; the lock is taken again
  // only when the scale has changed meanwhile and moved the deadline.
  while (ProgramMs(mapping, RealClock::now()) < target) {
    SleepUntilReal(RealInstant(mapping, target));
    if (State().changes.load(std::memory_order_acquire) != mapping.changes) mapping = CurrentMapping();
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
  s.changes.fetch_add(1, std::memory_order_release);
}

double ClockScale() {
  ClockState& s = State();
  std::lock_guard lock(s.mutex);
  return s.scale;
}

}  // namespace vexaro::sys
