#include <gtest/gtest.h>

#include "platform/sys/sys.h"

#include <atomic>
#include <thread>
#include <vector>

namespace {

using namespace vexaro::sys;

struct ScaleGuard {
  double saved = ClockScale();
  ~ScaleGuard() { SetClockScale(saved); }
};

TEST(Clock, ScaledSleepPassesProgramTimeQuickly) {
  ScaleGuard guard;
  SetClockScale(1000.0);
  auto realStart = std::chrono::steady_clock::now();
  std::uint64_t start = NowMs();
  SleepMs(120000);  // two program minutes
  std::uint64_t elapsed = NowMs() - start;
  auto real = std::chrono::steady_clock::now() - realStart;
  EXPECT_GE(elapsed, 120000u);
  EXPECT_LT(real, std::chrono::seconds(5));
}

TEST(Clock, ChangingScaleNeverGoesBackwards) {
  ScaleGuard guard;
  SetClockScale(500.0);
  std::uint64_t before = NowMs();
  SleepMs(2000);
  SetClockScale(1.0);
  std::uint64_t after = NowMs();
  EXPECT_GE(after, before + 2000);
  SetClockScale(100.0);
  EXPECT_GE(NowMs(), after);
}

TEST(Clock, RejectsNonPositiveScale) {
  ScaleGuard guard;
  SetClockScale(10.0);
  SetClockScale(0.0);
  SetClockScale(-3.0);
  EXPECT_DOUBLE_EQ(ClockScale(), 10.0);
}

TEST(Clock, SecondsFollowMilliseconds) {
  std::int64_t s = NowSeconds();
  std::uint64_t ms = NowMs();
  EXPECT_LE(static_cast<std::uint64_t>(s), ms / 1000);
  EXPECT_GE(static_cast<std::uint64_t>(s) + 2, ms / 1000);
  // Looks like calendar time (after 2020-01-01) for code that seeds from it.
  EXPECT_GT(s, 1577836800);
}

TEST(Clock, RealDurationShrinksWithScale) {
  ScaleGuard guard;
  SetClockScale(4.0);
  EXPECT_EQ(RealDuration(1000), std::chrono::milliseconds(250));
}

TEST(Clock, MonotonicAcrossThreads) {
  ScaleGuard guard;
  SetClockScale(50.0);
  std::atomic<bool> backwards{false};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      std::uint64_t last = 0;
      for (int i = 0; i < 20000; ++i) {
        std::uint64_t now = NowMs();
        if (now < last) backwards = true;
        last = now;
      }
    });
  }
  for (int i = 0; i < 50; ++i) SetClockScale(i % 2 ? 50.0 : 75.0);
  for (auto& th : threads) th.join();
  EXPECT_FALSE(backwards);
}

// A sleeper reads the clock's scale once and sleeps to the real instant of
// its deadline; when the clock is slowed meanwhile, that instant comes before
// the deadline and the sleeper must sleep on.
TEST(Clock, SleepUntilOutlastsASlowingOfTheClock) {
  ScaleGuard guard;
  SetClockScale(50.0);
  const std::uint64_t deadline = NowMs() + 5000;  // 100 ms of real time at this scale
  std::atomic<bool> started{false};
  std::uint64_t woke = 0;
  std::thread sleeper([&] {
    started = true;
    SleepUntilMs(deadline);
    woke = NowMs();
  });
  while (!started) std::this_thread::yield();
  SleepMs(500);
  SetClockScale(25.0);
  sleeper.join();
  EXPECT_GE(woke, deadline);
}

}  // namespace

namespace {

TEST(Clock, ScaledSleepNeverEndsBeforeItsProgramTime) {
  // At scale 5000 a 3 ms sleep is 0.6 µs of real time, below what system
  // sleeps resolve; it must still last its 3 program milliseconds.
  ScaleGuard guard;
  SetClockScale(5000.0);
  for (int i = 0; i < 50; ++i) {
    std::uint64_t start = NowMs();
    SleepMs(3);
    EXPECT_GE(NowMs() - start, 3u);
  }
}

// Paced work sleeps to deadlines: it must never wake before one, at any scale,
// and a deadline already passed must not wait for anything.
TEST(Clock, SleepUntilNeverEndsBeforeItsDeadline) {
  ScaleGuard guard;
  for (double scale : {1.0, 50.0}) {
    SetClockScale(scale);
    std::uint64_t deadline = NowMs();
    for (int i = 0; i < 5; ++i) {
      deadline += 2;
      SleepUntilMs(deadline);
      EXPECT_GE(NowMs(), deadline) << "scale " << scale;
    }
    SleepUntilMs(deadline - 1);
    SleepUntilMs(0);
    EXPECT_GE(NowMs(), deadline);
  }
}

}  // namespace
