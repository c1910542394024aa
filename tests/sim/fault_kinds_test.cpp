// The fault kinds that make each stage of an update fail: erase, program,
// the loader's restart, and a loader shown for a while before the application.
#include <gtest/gtest.h>

#include "isp/engine.h"
#include "isp/isp_api.h"
#include "platform/hid/hid.h"
#include "platform/sim/sim_bus.h"
#include "platform/sys/sys.h"
#include "sim/keyboard.h"

namespace vexaro::sim {
namespace {

class FaultKindsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(hid::SelectBackend(hid::BackendKind::kSimulated));
    simbus::TheBus().Reset();
    isp::ResetEngine();
  }
  void TearDown() override {
    isp::ResetEngine();
    simbus::TheBus().Reset();
    sys::SetClockScale(1.0);
  }
  std::shared_ptr<SimKeyboard> Plugged(const char* faults, Timing timing = Timing::Zero()) {
    KeyboardConfig config;
    config.timing = timing;
    config.initialMode = Mode::kLoader;
    std::string error;
    EXPECT_TRUE(ParseFaults(faults, config.faults, error)) << error;
    auto keyboard = SimKeyboard::Create(std::move(config), error);
    EXPECT_NE(keyboard, nullptr) << error;
    if (keyboard) {
      EXPECT_TRUE(keyboard->PlugIn());
    }
    return keyboard;
  }
};

TEST(FaultKinds, ParsedWithTheirValues) {
  Faults faults;
  std::string error;
  ASSERT_TRUE(ParseFaults("erase-fail-at=0x7C00,program-fail-at=3072,fail-reset,loader-before-app=5000",
                          faults, error)) << error;
  EXPECT_EQ(faults.eraseFailAt, 0x7C00u);
  EXPECT_EQ(faults.programFailAt, 3072u);
  EXPECT_TRUE(faults.failReset);
  EXPECT_EQ(faults.loaderBeforeApplicationMs, 5000u);
  EXPECT_FALSE(ParseFaults("fail-reset=1", faults, error));
  EXPECT_FALSE(ParseFaults("erase-fail-at", faults, error));
}

TEST_F(FaultKindsTest, EraseFailsOnlyForRangesCoveringTheAddressAndErasesNothing) {
  auto keyboard = Plugged("erase-fail-at=0x1000");
  ASSERT_TRUE(keyboard->WriteFlash(0x1000, {1, 2, 3, 4}));
  EXPECT_EQ(ISP_ErasePage(0x0C00, 0x0FFF), ISP_OK);
  EXPECT_EQ(ISP_ErasePage(0x0C00, 0x13FF), ISP_FAILED);
  EXPECT_EQ(ISP_EraseMass(), ISP_FAILED);
  EXPECT_EQ(keyboard->ReadFlash(0x1000, 1)[0], 1);
}

TEST_F(FaultKindsTest, ProgramFailsForReportsCoveringTheAddressButVerifyStillCompares) {
  auto keyboard = Plugged("program-fail-at=0x0C40");
  std::vector<std::uint8_t> image(52 * 3, 0x11);
  EXPECT_EQ(ISP_WriteProgramB(0x0C00, 0x0C00 + 155, 1, image.data()), ISP_FAILED);
  EXPECT_EQ(ISP_WriteProgramB(0x0C80, 0x0C80 + 51, 1, image.data()), ISP_OK);
  EXPECT_EQ(ISP_WriteProgramB(0x0C80, 0x0C80 + 51, 0, image.data()), ISP_OK);
}

TEST_F(FaultKindsTest, RefusedRestartFailsTheResetAndLeavesTheLoaderRunning) {
  auto keyboard = Plugged("fail-reset");
  EXPECT_EQ(ISP_Reset(), ISP_FAILED);
  EXPECT_TRUE(keyboard->IsPlugged());
  EXPECT_EQ(keyboard->CurrentMode(), Mode::kLoader);
}

TEST_F(FaultKindsTest, ApplicationStartShowsTheLoaderForTheGivenTimeFirst) {
  // The test waits for each state and stamps it on the program clock, so a
  // stall on a loaded machine can only make it see a state late: the lower
  // bound holds whatever the load, the upper one has 200 ms of real slack.
  sys::SetClockScale(10);
  constexpr std::uint64_t kLoaderShownMs = 3000, kSlackMs = 2000, kGiveUpMs = 60000;
  Timing timing = Timing::Zero();
  timing.reEnumerationMs = 10;
  auto keyboard = Plugged("loader-before-app=3000", timing);
  ASSERT_TRUE(keyboard->WriteFlash(0x0C00, {1, 2, 3, 4}));
  const std::uint64_t start = sys::NowMs();
  ASSERT_EQ(ISP_Execute(), ISP_OK);
  ISP_CloseSerialPortConnect();
  auto waitFor = [&](Mode mode) {
    while (!(keyboard->IsPlugged() && keyboard->CurrentMode() == mode) && sys::NowMs() - start < kGiveUpMs) {
      sys::SleepMs(10);
    }
    return sys::NowMs() - start;
  };
  const std::uint64_t loaderAt = waitFor(Mode::kLoader);
  ASSERT_EQ(keyboard->CurrentMode(), Mode::kLoader);
  const std::uint64_t applicationAt = waitFor(Mode::kApplication);
  ASSERT_EQ(keyboard->CurrentMode(), Mode::kApplication);
  EXPECT_TRUE(keyboard->IsPlugged());
  EXPECT_GE(applicationAt, kLoaderShownMs);
  EXPECT_LT(applicationAt - loaderAt, kLoaderShownMs + kSlackMs);
}

}  // namespace
}  // namespace vexaro::sim
