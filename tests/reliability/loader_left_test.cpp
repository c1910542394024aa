// A keyboard that a failed update left in its loader is found again at the
// next start: the window offers the update, vexaro-flash --list shows it in
// loader mode, and the next run installs the package.
#include <gtest/gtest.h>

#include <optional>

#include "platform/gui/window.h"
#include "platform/hid/hid.h"
#include "platform/sim/sim_bus.h"
#include "platform/sys/sys.h"
#include "tests/reliability/campaign.h"
#include "tests/reliability/simulated_bus_test.h"
#include "tests/updater/recording_view.h"
#include "updater/package_loader.h"
#include "updater/update_host.h"

namespace vexaro::reliability {
namespace {

// The channel and the controller look at the bus when the host starts.
constexpr std::uint64_t kSettleMs = 1000;

class LoaderLeftTest : public SimulatedBusTest {
 protected:
  // What the window shows at its start: its connection text and whether it
  // offers the update.
  static void StartWindow(const Campaign& campaign, std::string& connection, std::optional<bool>& offered) {
    ASSERT_TRUE(updater::LoadPackage(campaign.PackageFile()).ok);
    updater::testing::RecordingView view;
    updater::UpdateHost host(view);
    const std::uint64_t end = sys::NowMs() + kSettleMs;
    while (sys::NowMs() < end) {
      gui::PumpPendingMessages();
      sys::SleepMs(5);
    }
    host.Controller().RefreshDeviceState();
    connection = view.Connections().empty() ? "" : view.Connections().back();
    offered = view.UpdateEnabled();
  }
};

TEST_F(LoaderLeftTest, AfterAFailedProgramTheWindowOffersTheUpdateAndListShowsTheLoader) {
  Campaign campaign({sim::LoaderKind::kIap, false}, "loader-left");
  const RunResult failed = campaign.RunFresh("program-fail-at=0x3000");
  ASSERT_EQ(failed.exitCode, flash::kExitUpdateFailed) << failed.text;
  ASSERT_EQ(campaign.Keyboard().CurrentMode(), sim::Mode::kLoader);

  std::string connection;
  std::optional<bool> offered;
  StartWindow(campaign, connection, offered);
  EXPECT_EQ(connection, "IAP Connected");
  EXPECT_EQ(offered, std::optional<bool>(true));

  std::string output;
  EXPECT_EQ(campaign.RunList(output), flash::kExitSuccess) << output;
  EXPECT_NE(output.find("\"mode\":\"loader\""), std::string::npos) << output;
  EXPECT_EQ(output.find("\"mode\":\"application\""), std::string::npos) << output;

  const RunResult again = campaign.RunAgain();
  std::string why;
  EXPECT_EQ(again.exitCode, flash::kExitSuccess) << again.text;
  EXPECT_TRUE(campaign.KeyboardUpdated(true, why)) << why;
}

// Power lost while the application area was being programmed: the chip
// powers up into its loader (its version record is erased), where the next
// start finds it.
TEST_F(LoaderLeftTest, AfterPowerLossTheKeyboardStartsItsLoaderAndIsFoundThere) {
  Campaign campaign({sim::LoaderKind::kIsp, false}, "power-left");
  const std::vector<Write> writes = campaign.Reference();
  ASSERT_FALSE(writes.empty());
  std::uint32_t programWrite = 0;
  for (const Write& w : writes) {
    if (w.stage == "program" && programWrite == 0) programWrite = w.index + 10;
  }
  ASSERT_NE(programWrite, 0u);
  const RunResult failed = campaign.RunFresh("power-loss-at=" + std::to_string(programWrite));
  EXPECT_NE(failed.exitCode, flash::kExitSuccess);
  EXPECT_EQ(campaign.Keyboard().PowerOnMode(), sim::Mode::kLoader);
  const RunResult again = campaign.RunAgain();
  std::string why;
  EXPECT_EQ(again.exitCode, flash::kExitSuccess) << again.text;
  EXPECT_TRUE(campaign.KeyboardUpdated(true, why)) << why;
}

// The version record's text is written before its length word: power lost
// in any report of the version stage leaves a keyboard that starts either
// its loader or an application with its whole version text, and the next
// run installs the package.
TEST_F(LoaderLeftTest, PowerLossWhileTheVersionRecordIsWrittenIsRecovered) {
  Campaign campaign({sim::LoaderKind::kIap, false}, "version-power");
  const std::vector<Write> writes = campaign.Reference();
  ASSERT_FALSE(writes.empty());
  int struck = 0;
  for (const Write& w : writes) {
    if (w.stage != "version") continue;
    SCOPED_TRACE("power-loss-at=" + std::to_string(w.index));
    ++struck;
    const RunResult failed = campaign.RunFresh("power-loss-at=" + std::to_string(w.index));
    EXPECT_NE(failed.exitCode, flash::kExitSuccess);
    const RunResult again = campaign.RunAgain();
    std::string why;
    EXPECT_EQ(again.exitCode, flash::kExitSuccess) << again.output;
    EXPECT_TRUE(campaign.KeyboardUpdated(true, why)) << why;
  }
  EXPECT_GE(struck, 3);  // the text, the length word, the verify
}

}  // namespace
}  // namespace vexaro::reliability
