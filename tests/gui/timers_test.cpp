// Timers run on the program clock: they fire repeatedly on the owning
// thread until killed and never afterwards. The clock runs scaled here.
#include <gtest/gtest.h>

#include "tests/gui/gui_test_util.h"

namespace vexaro::gui {
namespace {

class Ticker : public CWnd {
 public:
  std::vector<UINT_PTR> ticks;
  UINT_PTR kill_after_id = 0;
  std::size_t kill_after = 0;

 protected:
  void OnTimer(UINT_PTR id) override {
    ticks.push_back(id);
    if (id == kill_after_id && Count(id) == kill_after) KillTimer(id);
  }

 public:
  std::size_t Count(UINT_PTR id) const { return static_cast<std::size_t>(std::count(ticks.begin(), ticks.end(), id)); }
};

class Timers : public ::testing::Test {
 protected:
  void SetUp() override {
    sys::SetClockScale(100);
    ASSERT_TRUE(t.CreateEx(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, 0));
  }
  void TearDown() override {
    t.DestroyWindow();
    sys::SetClockScale(1);
  }
  Ticker t;
};

TEST_F(Timers, FireRepeatedlyUntilKilledAndNeverAfter) {
  t.kill_after_id = 4096;
  t.kill_after = 3;
  ASSERT_EQ(t.SetTimer(4096, 1000), 4096u);
  ASSERT_TRUE(test::PumpUntil([&] { return t.Count(4096) == 3; }, 10000));
  const std::uint64_t killed_at = sys::NowMs();
  test::PumpUntil([] { return false; }, 5000);  // five more intervals
  EXPECT_EQ(t.Count(4096), 3u);
  EXPECT_GE(sys::NowMs() - killed_at, 5000u);
}

TEST_F(Timers, IntervalsAreHonouredAndIdsKeptApart) {
  const std::uint64_t start = sys::NowMs();
  t.SetTimer(1, 100);
  t.SetTimer(2, 1000);
  ASSERT_TRUE(test::PumpUntil([&] { return t.Count(2) == 2; }, 10000));
  EXPECT_GE(sys::NowMs() - start, 2000u);
  // At most twenty in two seconds (late ticks do not pile up), and the fast
  // timer is due before each tick of the slow one.
  EXPECT_GE(t.Count(1), t.Count(2));
  EXPECT_LE(t.Count(1), 21u);
  EXPECT_TRUE(t.KillTimer(1));
  EXPECT_FALSE(t.KillTimer(1));
  EXPECT_TRUE(t.KillTimer(2));
}

TEST_F(Timers, SettingAgainRestartsTheInterval) {
  sys::SetClockScale(10);  // the margins below are 400 ms: keep them wide in real time
  t.SetTimer(7, 1000);
  test::PumpUntil([] { return false; }, 600);
  t.SetTimer(7, 1000);  // restarts: no tick 1000 ms after the first start
  test::PumpUntil([] { return false; }, 600);
  EXPECT_EQ(t.Count(7), 0u);
  EXPECT_TRUE(test::PumpUntil([&] { return t.Count(7) == 1; }, 2000));
}

TEST_F(Timers, DestroyingTheWindowStopsItsTimers) {
  t.SetTimer(9, 10);
  t.DestroyWindow();
  test::PumpUntil([] { return false; }, 200);
  EXPECT_EQ(t.Count(9), 0u);
}

}  // namespace
}  // namespace vexaro::gui
