// Connecting to the loader and waiting for the keyboard: no keyboard at
// all, a package without application identifiers, the keyboard showing its
// loader after the start command, pending installations, and a stage that
// takes too long.
#include "isp/isp_api.h"
#include "platform/sim/sim_bus.h"
#include "platform/sys/sys.h"
#include "sim/demo_keyboard.h"
#include "tests/updater/update_fixture.h"
#include "updater/count_down.h"

namespace vexaro::updater::testing {
namespace {

using ConnectionTest = UpdateFixture;

TEST_F(ConnectionTest, NoKeyboardFailsAfterBothCountDownsAndReturnsToIdle) {
  sys::SetClockScale(1000);  // nothing answers: only count-downs run
  KeyboardPlan keyboard;
  keyboard.plugged = false;
  Start({}, keyboard);
  EXPECT_EQ(view_.Connections().back(), "Not Connected");
  EXPECT_EQ(view_.UpdateEnabled(), false);
  EXPECT_EQ(Controller().Presence(), KeyboardPresence::None);
  // Enter with nothing plugged in says so and starts nothing.
  const std::uint64_t entered = sys::NowMs();
  Controller().OnEnterKey();
  EXPECT_LT(sys::NowMs() - entered, 1000u);
  EXPECT_EQ(view_.MessageBoxes().size(), 1u);
  EXPECT_EQ(Controller().LastConnection(), ConnectionResult::None);
  const std::uint64_t start = sys::NowMs();
  Controller().ConnectAndStart();
  EXPECT_EQ(Controller().LastConnection(), ConnectionResult::NoKeyboard);
  EXPECT_GE(sys::NowMs() - start, 240u * 1000);
  const std::vector<std::string> statuses = {"NA", "Starting IAP mode....", "Connecting....", "Connect Fail!!!",
                                             "Cannot connect to chip!"};
  EXPECT_EQ(view_.Statuses(), statuses);
  EXPECT_EQ(Controller().State(), UpdateState::Idle);
  EXPECT_EQ(view_.UpdateEnabled(), false);  // no keyboard: nothing to try again
  EXPECT_EQ(view_.CloseEnabled(), true);
  EXPECT_EQ(view_.Focus().back(), "update");
  EXPECT_TRUE(view_.Timers().empty());  // no result dialog for a failed connection
}

TEST_F(ConnectionTest, PackageWithoutApplicationIdsUpdatesTheLoaderAndDoesNotWaitForTheApplication) {
  PackagePlan package;
  package.applicationIds = false;
  KeyboardPlan keyboard;
  keyboard.startInLoader = true;
  Start(package, keyboard);
  RunUpdate();
  EXPECT_FALSE(view_.HasStatus("Starting IAP mode...."));
  EXPECT_FALSE(view_.HasStatus("Operation Success"));
  EXPECT_TRUE(view_.HasStatus("Reset to AP..."));
  ASSERT_TRUE(view_.Outcome().has_value());
  EXPECT_TRUE(view_.Outcome()->success);
  EXPECT_TRUE(view_.HasTimer(kSuccessTimer));
}

// The keyboard may show its loader for a while after the start command; the
// worker accepts that for 20 counted seconds.
TEST_F(ConnectionTest, LoaderAfterTheStartIsAcceptedUntilThe20thCountedSecond) {
  KeyboardPlan keyboard;
  keyboard.faults = "loader-before-app=12000";
  Start({}, keyboard);
  RunUpdate();
  EXPECT_TRUE(view_.HasStatus("Operation Success"));
  EXPECT_TRUE(view_.HasTimer(kSuccessTimer));

  Restart();
  keyboard.faults = "loader-before-app=40000";
  Start({}, keyboard);
  RunUpdate();
  EXPECT_EQ(view_.Outcome()->failureText, "[ERROR] Can't Reset to AP...");
  EXPECT_TRUE(view_.HasTimer(kFailureTimer));
  EXPECT_EQ(keyboard_->CurrentMode(), sim::Mode::kLoader);
}

TEST_F(ConnectionTest, CountDownDoesNotCountWhileInstallationsArePending) {
  simbus::TheBus().SetInstallTimeAfterPlug(5000);
  KeyboardPlan keyboard;
  keyboard.plugged = true;
  Start({}, keyboard);  // the plug starts 5 s of pending installation
  keyboard_->Unplug();
  ASSERT_TRUE(keyboard_->PlugIn());
  const std::uint64_t start = sys::NowMs();
  CountDown count(3);
  while (count.Running()) count.Tick();
  EXPECT_GE(sys::NowMs() - start, 3000u + 4000u);
}

// Without the pause the application phase would give up at 120 s, before
// the keyboard arrives at 150 s, and the loader phase would never see it.
TEST_F(ConnectionTest, PendingInstallationKeepsTheApplicationPhaseWaiting) {
  sys::SetClockScale(400);
  KeyboardPlan keyboard;
  keyboard.plugged = false;
  Start({}, keyboard);
  simbus::TheBus().SetInstallTimeAfterPlug(200000);
  sim::KeyboardConfig other = sim::DemoKeyboardConfig();
  other.apVendorId = 0x1234;
  other.iapVendorId = 0x1234;
  other.timing = sim::Timing::Zero();
  std::string error;
  auto stranger = sim::SimKeyboard::Create(other, error);
  ASSERT_NE(stranger, nullptr) << error;
  ASSERT_TRUE(stranger->PlugIn());
  simbus::TheBus().SetInstallTimeAfterPlug(10000);
  std::weak_ptr<sim::SimKeyboard> ours = keyboard_;
  simbus::TheBus().After(150000, [ours] {
    if (auto k = ours.lock()) k->PlugIn();
  });
  EXPECT_TRUE(Controller().ConnectLoader());
  EXPECT_FALSE(view_.HasStatus("Connect Fail!!!"));
  EXPECT_TRUE(view_.HasStatus("Connected"));
  ISP_CloseSerialPortConnect();
}

// A stage that outlasts the 1000 polls allowed while the channel is closed
// is stopped and joined before the worker goes on; the rest of the image
// is never sent.
TEST_F(ConnectionTest, StageOutlastingItsPollsIsStoppedBeforeTheWorkerGoesOn) {
  KeyboardPlan keyboard;
  keyboard.frameMs = 400;  // 178 program reports: far beyond 10 s
  Start({}, keyboard);
  RunUpdate();
  EXPECT_EQ(view_.Outcome()->failureText, "Program Failed!");
  const auto tail = Flash(kApStart + 0x2000, 0x400);
  EXPECT_EQ(tail, std::vector<std::uint8_t>(0x400, 0xFF));
  EXPECT_TRUE(view_.HasTimer(kFailureTimer));
}

// The update buttons come back while the worker is still finishing (the
// keyboard has returned), and Enter acts once the state is Idle although the
// worker still talks to the view. Neither may start a connection beside it:
// the engine would be used by two threads and the new update would join a
// worker waiting for this thread.
class WorkerStillRunningTest : public UpdateFixture {
 protected:
  // Holds the worker at point, makes the request there, and checks that it
  // changed nothing and that the update still ends in success.
  template <typename Request>
  void ExpectIgnoredAt(const std::string& point, UpdateState stateThere, Request request) {
    Restart();
    Start({}, {});
    view_.HoldAt(point);
    Controller().ConnectAndStart();
    ASSERT_TRUE(PumpUntil([this] { return view_.Holding(); }));
    EXPECT_EQ(Controller().State(), stateThere);
    const std::size_t statuses = view_.Statuses().size();
    request();
    EXPECT_EQ(view_.Statuses().size(), statuses) << point;
    view_.Release();
    AwaitResult();
    EXPECT_TRUE(view_.HasTimer(kSuccessTimer));
    EXPECT_FALSE(Controller().WorkerRunning());
  }
};

TEST_F(WorkerStillRunningTest, UpdateRequestsAreIgnored) {
  ExpectIgnoredAt("Digest Check....", UpdateState::Updating, [this] { Controller().ConnectAndStart(); });
  ExpectIgnoredAt("focus update", UpdateState::Idle, [this] { Controller().OnEnterKey(); });
}

}  // namespace
}  // namespace vexaro::updater::testing

namespace vexaro::updater::testing {
namespace {

// A keyboard whose node refuses this user is neither "no keyboard" nor one
// to update: the user is told once which node and why.
TEST_F(ConnectionTest, KeyboardWithoutPermissionIsToldOnceAndNotOffered) {
  KeyboardPlan keyboard;
  keyboard.faults = "no-permission";
  Start({}, keyboard);
  Controller().RefreshDeviceState();
  EXPECT_EQ(Controller().Presence(), KeyboardPresence::NoAccess);
  EXPECT_EQ(Controller().AccessError().reason, hid::Reason::kPermissionDenied);
  EXPECT_EQ(view_.UpdateEnabled(), false);
  ASSERT_EQ(view_.MessageBoxes().size(), 1u);
  EXPECT_NE(view_.MessageBoxes()[0].find("cannot be opened: permission denied"), std::string::npos);
}

}  // namespace
}  // namespace vexaro::updater::testing
