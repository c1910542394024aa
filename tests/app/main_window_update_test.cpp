// Whole updates through the real window: clicks on the skinned buttons and
// keys, against the simulated demo keyboard.
#include "tests/app/window_fixture.h"
// Forces the headless display before any window exists.
#include "tests/gui/gui_test_util.h"

#include <fstream>
#include <sstream>
#include <iterator>

#include "app/vexaro_app.h"
#include "package/package.h"
#include "platform/gui/input.h"
#include "sim/demo_firmware.h"
#include "ui/resource_ids.h"

namespace vexaro::app::test {
namespace {

using namespace gui;

bool Updated(CVexaroDlg& window) {
  return window.Controller().State() == updater::UpdateState::Idle &&
         window.Controller().LastResultKind() != updater::ResultKind::None;
}

TEST_F(MainWindowTest, ClickOnTheUpdateButtonInstallsThePackageAndShowsTheNewVersion) {
  StartKeyboard(kOlderVersion);
  OpenWindow();
  SavePicture("main-window-idle.png");
  // The window recorded the package's key with the rest of its description.
  EXPECT_EQ(package::ThePackageInfo().PackageKey, package::PackageKey());
  EXPECT_NE(package::PackageKey(), package::PackageKeyBytes{});
  EXPECT_EQ(FieldText(ui::kIdcCurrentVersion), kOlderVersion);
  EXPECT_EQ(FieldText(ui::kIdcConnection), "AP Connected");
  ASSERT_TRUE(UpdateButtonEnabled());

  ClickUpdateButton();
  bool pictured = false;
  ASSERT_TRUE(RunUntil(
      [&] {
        const int pos = window_->ProgressPos();
        if (!pictured && pos >= 50 && pos < 90) {
          pictured = true;
          // While the worker runs the close button is disabled and the bar painted.
          EXPECT_FALSE(window_->CloseButton().IsWindowEnabled());
          SavePicture("main-window-updating.png");
        }
        return Updated(*window_);
      },
      kUpdateLimitMs));
  EXPECT_TRUE(pictured);
  EXPECT_EQ(window_->Controller().LastResultKind(), updater::ResultKind::Success);
  ASSERT_TRUE(RunUntil([&] { return FieldText(ui::kIdcCurrentVersion) == kPackageVersion; }));
  EXPECT_EQ(window_->Controller().Channel().Version(), kPackageVersion);
  EXPECT_EQ(KeyboardVersionRecord(), kPackageVersion);
  EXPECT_EQ(Results(), std::vector<std::string>{"Firmware Update Success!"});
  EXPECT_EQ(FieldText(ui::kIdcStatus), "Operation successful.");
  EXPECT_TRUE(window_->CloseButton().IsWindowEnabled());
  EXPECT_TRUE(messageBoxes_.empty());
  SavePicture("main-window-success.png");
}

// Plugged in while the window is open: the connection and the current
// version follow, the update button is enabled, and no layout error appears
// while the channel is still reading the version.
TEST_F(MainWindowTest, KeyboardPluggedInWhileTheWindowIsOpenEnablesTheUpdate) {
  OpenWindow();
  EXPECT_EQ(FieldText(ui::kIdcConnection), "Not Connected");
  EXPECT_FALSE(UpdateButtonEnabled());
  StartKeyboard(kOlderVersion);
  ASSERT_TRUE(RunUntil([&] { return FieldText(ui::kIdcCurrentVersion) == kOlderVersion; }));
  RunFor(2000);
  EXPECT_EQ(FieldText(ui::kIdcConnection), "AP Connected");
  EXPECT_TRUE(UpdateButtonEnabled());
  EXPECT_EQ(Results(), std::vector<std::string>{});
}

TEST_F(MainWindowTest, VerifyFaultEndsWithTheFailureDialogAndNoNewVersion) {
  StartKeyboard(kOlderVersion, [](sim::KeyboardConfig& c) { c.faults.verifyFailAt = 0x4000; });
  OpenWindow();
  ClickUpdateButton();
  ASSERT_TRUE(RunUntil([&] { return Updated(*window_); }, kUpdateLimitMs));
  EXPECT_EQ(window_->Controller().LastResultKind(), updater::ResultKind::Failure);
  EXPECT_EQ(Results(), std::vector<std::string>{"Firmware Update Failed!"});
  EXPECT_NE(KeyboardVersionRecord(), kPackageVersion);
  SavePicture("main-window-failed.png");
}

TEST_F(MainWindowTest, EnterWhileIdleStartsTheUpdateAndEnterWhileUpdatingDoesNothing) {
  StartKeyboard(kOlderVersion);
  OpenWindow();
  // The OK button is disabled at start and cannot hold the focus; the keys
  // still reach the window.
  EXPECT_EQ(Results(), std::vector<std::string>{});
  PressKey(VK_ESCAPE);
  RunFor(500);
  EXPECT_TRUE(IsWindow(window_->m_hWnd));
  EXPECT_EQ(window_->Controller().State(), updater::UpdateState::Idle);

  PressKey(VK_RETURN);
  ASSERT_TRUE(RunUntil([&] { return window_->Controller().State() == updater::UpdateState::Updating; },
                       kUpdateLimitMs));
  PressKey(VK_RETURN);
  PressKey(VK_ESCAPE);
  ASSERT_TRUE(RunUntil([&] { return Updated(*window_); }, kUpdateLimitMs));
  RunFor(2000);
  EXPECT_EQ(Results(), std::vector<std::string>{"Firmware Update Success!"});
  EXPECT_EQ(KeyboardVersionRecord(), kPackageVersion);
  EXPECT_TRUE(IsWindow(window_->m_hWnd));
}

TEST_F(MainWindowTest, NewerKeyboardDisablesTheUpdateUnlessDebugMode) {
  StartKeyboard(kNewerVersion);
  OpenWindow();
  EXPECT_EQ(FieldText(ui::kIdcCurrentVersion), kNewerVersion);
  EXPECT_FALSE(UpdateButtonEnabled());
  SavePicture("main-window-newer-keyboard.png");
  // A click on the disabled skinned button does nothing, and neither does Enter.
  ClickUpdateButton();
  PressKey(VK_RETURN);
  RunFor(1000);
  EXPECT_EQ(window_->Controller().State(), updater::UpdateState::Idle);
  EXPECT_EQ(KeyboardVersionRecord(), kNewerVersion);
  CloseWindow();

  OpenWindow(/*debug=*/true);
  EXPECT_TRUE(UpdateButtonEnabled());
}

TEST_F(MainWindowTest, LayoutMismatchShowsTheLayoutErrorOnceEvenInDebugMode) {
  StartKeyboard(kOtherLayoutVersion);
  OpenWindow(/*debug=*/true);
  ASSERT_TRUE(RunUntil([&] { return !Results().empty(); }));
  RunFor(2000);
  EXPECT_EQ(Results(), std::vector<std::string>{"Firmware Update Layout Error!"});
  EXPECT_EQ(window_->Controller().LastResultKind(), updater::ResultKind::LayoutError);
  EXPECT_FALSE(UpdateButtonEnabled());
  // The first Enter closes the dialog; neither installs another layout's firmware.
  PressKey(VK_RETURN);
  PressKey(VK_RETURN);
  RunFor(1000);
  EXPECT_EQ(window_->Controller().State(), updater::UpdateState::Idle);
  EXPECT_EQ(KeyboardVersionRecord(), kOtherLayoutVersion);
  SavePicture("main-window-layout-error.png");
}

TEST_F(MainWindowTest, ClosingWithTheKeyboardInItsLoaderRestartsTheLoaderAndWaits) {
  const std::string trace = ::testing::TempDir() + "main-window-close-trace.txt";
  StartKeyboard("", [&](sim::KeyboardConfig& c) { c.traceFile = trace; });
  ASSERT_EQ(keyboard_->CurrentMode(), sim::Mode::kLoader);
  OpenWindow();
  RunUntil([&] { return FieldText(ui::kIdcConnection) == "IAP Connected"; });
  EXPECT_EQ(FieldText(ui::kIdcConnection), "IAP Connected");
  SavePicture("main-window-update-mode.png");
  const std::uint64_t before = sys::NowMs();
  input::CloseRequest(window_->m_hWnd);
  ASSERT_TRUE(RunUntil([&] { return !IsWindow(window_->m_hWnd); }));
  EXPECT_GE(sys::NowMs() - before, 3000u);
  std::ifstream in(trace);
  std::ostringstream text;
  text << in.rdbuf();
  EXPECT_NE(text.str().find("EVENT restart loader"), std::string::npos);
}

TEST_F(MainWindowTest, SkinnedCloseButtonPostsTheQuitRequest) {
  StartKeyboard(kOlderVersion);
  OpenWindow();
  ClickCloseButton();
  ASSERT_TRUE(RunUntil([&] { return quitSeen_; }));
}

TEST_F(MainWindowTest, RightPressOnTheUpdateButtonAlsoStartsTheUpdate) {
  StartKeyboard(kOlderVersion);
  OpenWindow();
  POINT p{435, 192};
  ClientToScreen(window_->m_hWnd, &p);
  input::MouseMove(p.x, p.y);
  input::MouseButton(input::kRight, true, p.x, p.y);
  input::MouseButton(input::kRight, false, p.x, p.y);
  ASSERT_TRUE(RunUntil([&] { return Updated(*window_); }, kUpdateLimitMs));
  EXPECT_EQ(Results(), std::vector<std::string>{"Firmware Update Success!"});
}

TEST_F(MainWindowTest, PackageWithoutFirmwareSaysImageFormatInvalidAndCloses) {
  package::SetPackageFile(VEXARO_BARE_FILE);
  StartKeyboard(kOlderVersion);
  window_ = std::make_unique<CVexaroDlg>();
  window_->Create(ui::kIddMainWindow);
  RunUntil([&] { return !IsWindow(window_->m_hWnd); });
  EXPECT_FALSE(IsWindow(window_->m_hWnd));
  EXPECT_EQ(messageBoxes_, std::vector<std::string>{"Image Format Invalid: Image format invalid!"});
}

}  // namespace
}  // namespace vexaro::app::test

namespace vexaro::app::test {
namespace {

// Start-up runs the window modally and returns false whatever happened; with
// no package the window says so and ends at once.
TEST_F(MainWindowTest, StartUpRunsTheWindowAndReadsTheDebugOption) {
  package::SetPackageFile(VEXARO_BARE_FILE);
  CVexaroApp app;
  app.m_lpCmdLine = "-DEBUG";
  EXPECT_FALSE(app.InitInstance());
  EXPECT_TRUE(app.DebugFlag());
  EXPECT_EQ(app.m_registryKey, kSettingsKeyName);
  EXPECT_EQ(app.m_pMainWnd, nullptr);
  EXPECT_EQ(messageBoxes_, std::vector<std::string>{"Image Format Invalid: Image format invalid!"});
  app.m_lpCmdLine = "-debug extra";
  EXPECT_FALSE(app.InitInstance());
  EXPECT_FALSE(app.DebugFlag());
}

}  // namespace
}  // namespace vexaro::app::test

namespace vexaro::app::test {
namespace {

// The unattended run (--auto-update) ends whatever stops it: every message
// box is answered with its text on standard error, a failed connection and a
// refused keyboard end the run, never with success.
TEST_F(MainWindowTest, AutoUpdateEndsOnEveryRefusalWithItsReason) {
  struct Case {
    const char* package;
    const char* keyboard;  // nullptr: none plugged in
    const char* faults;
    const char* reason;
  };
  const Case cases[] = {
      {VEXARO_DEMO_PACKAGE, nullptr, "", "no keyboard ready for the update"},
      {VEXARO_BARE_FILE, kOlderVersion, "", "Image Format Invalid: Image format invalid!"},
      {VEXARO_DEMO_PACKAGE, kOtherLayoutVersion, "", "no keyboard ready for the update"},
      {VEXARO_DEMO_PACKAGE, kOlderVersion, "vanish-after=2", "cannot connect to the keyboard's loader"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reason);
    quitSeen_ = false;
    package::SetPackageFile(c.package);
    if (c.keyboard) {
      StartKeyboard(c.keyboard, [&](sim::KeyboardConfig& config) {
        std::string error;
        ASSERT_TRUE(sim::ParseFaults(c.faults, config.faults, error)) << error;
      });
    }
    ::testing::internal::CaptureStderr();
    window_ = std::make_unique<CVexaroDlg>();
    window_->EnableAutoUpdate();
    window_->Create(ui::kIddMainWindow);
    watcher_ = std::make_unique<ResultDialogWatcher>(window_->m_hWnd);
    const bool ended = RunUntil([&] { return quitSeen_ || !IsWindow(window_->m_hWnd); }, 400000);
    const std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(ended);
    EXPECT_FALSE(window_->AutoUpdateSucceeded());
    EXPECT_NE(errors.find(c.reason), std::string::npos) << errors;
    CloseWindow();
    if (keyboard_) keyboard_->Unplug();
    keyboard_.reset();
  }
}

}  // namespace
}  // namespace vexaro::app::test
