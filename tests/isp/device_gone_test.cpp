// A keyboard pulled out while the loader erases: the engine's status wait
// ends right after the unplug with kGone, not when its window runs out.
#include <atomic>

#include "isp/isp_status.h"
#include "sim/keyboard.h"
#include "tests/isp/engine_fixture.h"

namespace vexaro::isp::testing {
namespace {

// Program time: the user area's 29 pages take 5.8 s to erase ten times slowed,
// inside the page erase's 10 s window; the unplug comes 1 s into it. A wait
// that noticed nothing would run 9 s more; the bound leaves a loaded machine
// (or wine) room for its scheduling at the clock's speed-up.
constexpr std::uint32_t kSlowed = 10;
constexpr std::uint32_t kUnplugAfterMs = 1000;
constexpr std::uint64_t kEndBoundMs = 2000;
constexpr double kClockScale = 20;

std::shared_ptr<sim::SimKeyboard> SlowLoader() {
  sim::KeyboardConfig config;
  config.iapVendorId = kLoaderVid;
  config.iapProductId = kLoaderPid;
  config.initialMode = sim::Mode::kLoader;
  config.timing = sim::Timing::Usb();
  config.faults.slowFactor = kSlowed;
  std::string error;
  auto keyboard = sim::SimKeyboard::Create(config, error);
  EXPECT_NE(keyboard, nullptr) << error;
  return keyboard;
}

TEST_F(EngineTest, AKeyboardPulledOutDuringALongEraseEndsTheStatusWaitAtOnce) {
  sys::SetClockScale(kClockScale);
  auto keyboard = SlowLoader();
  ASSERT_NE(keyboard, nullptr);
  ASSERT_TRUE(keyboard->PlugIn());
  ASSERT_EQ(ISP_IsConnectedToDevice(kLoaderVid, kLoaderPid, 0), 1);
  std::atomic<std::uint64_t> unpluggedAt{0};
  simbus::TheBus().After(kUnplugAfterMs, [&] {
    keyboard->Unplug();
    unpluggedAt = sys::NowMs();
  });
  EXPECT_EQ(ISP_ErasePage(0x0C00, 0x7FFF), ISP_FAILED);
  const std::uint64_t endedAt = sys::NowMs();
  ASSERT_NE(unpluggedAt.load(), 0u) << "the erase ended before the unplug";
  EXPECT_LT(endedAt - unpluggedAt, kEndBoundMs);
  EXPECT_EQ(LastDeviceError().reason, hid::Reason::kGone) << hid::Describe(LastDeviceError());
}

}  // namespace
}  // namespace vexaro::isp::testing
