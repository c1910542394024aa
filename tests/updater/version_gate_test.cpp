// The layout and version check against the keyboard in application mode:
// which versions enable the update buttons, the layout error once per
// attachment, and the debug mode.
#include "platform/sim/sim_bus.h"
#include "tests/updater/update_fixture.h"

namespace vexaro::updater::testing {
namespace {

constexpr double kReadBackClockScale = 5;

class VersionGateTest : public UpdateFixture {
 protected:
  bool EnabledFor(const std::string& keyboard, const std::string& package, bool debug = false) {
    Restart();
    PackagePlan p;
    p.version = package;
    KeyboardPlan k;
    k.startVersion = keyboard;
    Start(p, k);
    if (debug) {
      Controller().SetDebugMode(true);
      Controller().RefreshDeviceState();
    }
    EXPECT_EQ(view_.Versions().back(), keyboard);
    return view_.UpdateEnabled().value_or(false);
  }
};

TEST_F(VersionGateTest, SameOrNewerPackageEnablesTheUpdateButtons) {
  EXPECT_TRUE(EnabledFor("1.2", "1.3"));
  EXPECT_TRUE(EnabledFor("1.3", "1.3"));
  EXPECT_FALSE(EnabledFor("1.4", "1.3"));
  EXPECT_FALSE(view_.HasTimer(kLayoutErrorTimer));  // refused silently
  EXPECT_FALSE(EnabledFor("1.2", "1.2.1"));
}

// Enter presses only an enabled update button: a refused layout or a newer
// keyboard stays as it is, and the debug option's update goes ahead.
TEST_F(VersionGateTest, EnterFollowsTheUpdateButton) {
  for (const auto& [keyboard, debug] : {std::pair{"1.4", false}, std::pair{"12.0", false}, std::pair{"1.4", true}}) {
    SCOPED_TRACE(std::string(keyboard) + (debug ? " with debug" : ""));
    const bool enabled = EnabledFor(keyboard, "1.3", debug);
    Controller().OnEnterKey();
    if (!enabled) {
      EXPECT_EQ(Controller().State(), UpdateState::Idle);
      EXPECT_EQ(Controller().LastConnection(), ConnectionResult::None);
      EXPECT_EQ(Flash(kVersionRecordAddress + 4, 3), std::vector<std::uint8_t>(keyboard, keyboard + 3));
      continue;
    }
    AwaitResult();
    EXPECT_TRUE(view_.HasTimer(kSuccessTimer));
    EXPECT_EQ(Flash(kVersionRecordAddress, 7), (std::vector<std::uint8_t>{3, 0, 0, 0, '1', '.', '3'}));
  }
}

TEST_F(VersionGateTest, DebugModeAllowsAnyVersionButNotAnotherLayout) {
  EXPECT_TRUE(EnabledFor("1.4", "1.3", true));
  EXPECT_FALSE(EnabledFor("14.0", "1.3", true));
  EXPECT_TRUE(view_.HasTimer(kLayoutErrorTimer));
}

// A keyboard whose version names no layout (none read back, or "." as its
// mark) is refused, but the debug option may mend it.
TEST_F(VersionGateTest, DebugModeUpdatesAKeyboardWhoseVersionNamesNoLayout) {
  for (const char* keyboard : {"", "2.07"}) {
    SCOPED_TRACE(keyboard);
    EXPECT_FALSE(EnabledFor(keyboard, "V2.08"));
    EXPECT_TRUE(EnabledFor(keyboard, "V2.08", true));
  }
}

TEST_F(VersionGateTest, LayoutErrorIsShownOncePerAttachment) {
  EXPECT_FALSE(EnabledFor("12.0", "1.3"));
  EXPECT_TRUE(view_.HasTimer(kLayoutErrorTimer));
  // The window's timer shows the dialog and tells the controller.
  Controller().OnResultShown(kLayoutErrorTimer);
  view_.Clear();
  Controller().RefreshDeviceState();
  EXPECT_FALSE(view_.HasTimer(kLayoutErrorTimer));
  EXPECT_EQ(view_.UpdateEnabled(), false);

  // Unplugged and plugged again: a new attachment shows it again.
  keyboard_->Unplug();
  ASSERT_TRUE(PumpUntil([this] { return host_->PresenceMessages() >= 2; }));
  EXPECT_EQ(Controller().LastResultKind(), ResultKind::None);
  EXPECT_EQ(view_.Versions().back(), "");
  view_.Clear();
  ASSERT_TRUE(keyboard_->PlugIn());
  ASSERT_TRUE(PumpUntil([this] { return view_.HasTimer(kLayoutErrorTimer); }));
}

TEST_F(VersionGateTest, PassingCheckKillsAPendingLayoutTimer) {
  EXPECT_TRUE(EnabledFor("1.2", "1.3"));
  const auto killed = view_.Killed();
  EXPECT_NE(std::find(killed.begin(), killed.end(), kLayoutErrorTimer), killed.end());
}

TEST_F(VersionGateTest, AfterASuccessTheNewVersionIsReadBackAndChecked) {
  // The new version comes from the one read the channel makes when the
  // application appears; it gives up after 3 program seconds. At the
  // fixture's scale that is 120 ms of real time, which a starved reader
  // thread on a loaded machine overran; here it is 600 ms.
  sys::SetClockScale(kReadBackClockScale);
  Start({}, {});
  RunUpdate();
  Controller().OnResultShown(kSuccessTimer);
  ASSERT_TRUE(PumpUntil([this] { return !view_.Versions().empty() && view_.Versions().back() == "1.3"; }))
      << "versions shown: " << ::testing::PrintToString(view_.Versions());
  EXPECT_EQ(view_.UpdateEnabled(), true);  // 1.3 over 1.3 is allowed again
  EXPECT_EQ(Controller().LastResultKind(), ResultKind::Success);
}

}  // namespace
}  // namespace vexaro::updater::testing
