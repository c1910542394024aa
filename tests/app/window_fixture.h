// Drives the real main window on the headless display against a simulated
// demo keyboard, on the scaled program clock: a message loop that gives the
// window's PreTranslateMessage its look as the modal loop does, a watcher
// that closes result dialogs by clicking their skinned close button, and a
// record of every message box.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/main_window.h"
#include "platform/sys/sys.h"
#include "sim/keyboard.h"

namespace vexaro::app::test {

// Program milliseconds per real millisecond: a two-minute count-down takes
// about five seconds, while the channel's 3000 ms version read (120 ms real)
// and the 1000 ms protocol windows still outlast a loaded CI machine's
// scheduling hiccups (at 100 they did not, with two test programs per core).
inline constexpr double kClockScale = 25;
// Program time a whole update may take: connection, erase, program and
// verify, two re-enumerations and the wait for the application.
inline constexpr std::uint64_t kUpdateLimitMs = 240000;
// Program time for the window to settle after start or a device change.
inline constexpr std::uint64_t kSettleLimitMs = 20000;

// Versions of the demo package and around it; the layout mark is the "2".
inline constexpr char kOlderVersion[] = "V2.05";
inline constexpr char kPackageVersion[] = "V2.07";
inline constexpr char kNewerVersion[] = "V2.08";
inline constexpr char kOtherLayoutVersion[] = "V3.05";

// Closes every result dialog that comes up on the window's thread by a click
// on its close button, and remembers the text each one carried.
class ResultDialogWatcher {
 public:
  explicit ResultDialogWatcher(gui::HWND mainWindow);
  ~ResultDialogWatcher();
  std::vector<std::string> Results() const;

 private:
  void Watch();

  gui::HWND main_;
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  std::vector<std::string> results_;
  std::thread thread_;
};

class MainWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  void SetUp() override;
  void TearDown() override;

  // A demo keyboard carrying `version`; config changes come from `adjust`.
  template <typename Adjust>
  void StartKeyboard(const std::string& version, Adjust adjust) {
    sim::KeyboardConfig config = DemoConfig();
    adjust(config);
    StartKeyboardWith(std::move(config), version);
  }
  void StartKeyboard(const std::string& version) {
    StartKeyboard(version, [](sim::KeyboardConfig&) {});
  }
  void StartKeyboardWith(sim::KeyboardConfig config, const std::string& version);
  static sim::KeyboardConfig DemoConfig();

  // Opens the window and waits until it shows the keyboard's version (or,
  // with no keyboard in application mode, until its start is over).
  void OpenWindow(bool debug = false);
  void CloseWindow();

  // The window's message loop until pred holds or limit_ms of program time.
  template <typename Pred>
  bool RunUntil(Pred pred, std::uint64_t limit_ms = kSettleLimitMs);
  void RunFor(std::uint64_t ms);

  void ClickUpdateButton();
  void ClickCloseButton();
  void PressKey(gui::UINT vk);
  std::string FieldText(int id) const;
  std::vector<std::string> Results() const { return watcher_ ? watcher_->Results() : std::vector<std::string>{}; }
  bool UpdateButtonEnabled() const { return window_->UpdateButton().IsWindowEnabled() != gui::FALSE; }
  // Saves the window as docs picture `name` when VEXARO_UPDATER_PICTURES names a folder.
  void SavePicture(const std::string& name);
  std::string KeyboardVersionRecord() const;

  std::shared_ptr<sim::SimKeyboard> keyboard_;
  std::unique_ptr<CVexaroDlg> window_;
  std::unique_ptr<ResultDialogWatcher> watcher_;
  std::vector<std::string> messageBoxes_;
  bool quitSeen_ = false;
};

template <typename Pred>
bool MainWindowTest::RunUntil(Pred pred, std::uint64_t limit_ms) {
  const std::uint64_t end = sys::NowMs() + limit_ms;
  for (;;) {
    gui::MSG msg;
    while (gui::PeekMessage(&msg, nullptr, 0, 0, gui::PM_REMOVE)) {
      if (msg.message == gui::WM_QUIT) {
        quitSeen_ = true;
        continue;
      }
      if (window_ && window_->m_hWnd && gui::WalkPreTranslateTree(window_->m_hWnd, &msg)) continue;
      gui::TranslateMessage(&msg);
      gui::DispatchMessage(&msg);
    }
    if (pred()) return true;
    if (sys::NowMs() >= end) return false;
    sys::SleepMs(1);
  }
}

}  // namespace vexaro::app::test
