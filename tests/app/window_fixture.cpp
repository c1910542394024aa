#include "tests/app/window_fixture.h"

#include <cstdlib>

#include "package/package.h"
#include "platform/gui/hid_device_events.h"
#include "platform/headless/headless.h"
#include "platform/hid/hid.h"
#include "sim/demo_keyboard.h"
#include "sim/demo_firmware.h"
#include "ui/resource_ids.h"

namespace vexaro::app::test {

using namespace gui;

namespace {

// Centres of the skinned buttons, inside their shapes.
constexpr POINT kUpdateButtonCentre{435, 192};
constexpr POINT kCloseButtonCentre{460, 9};
constexpr POINT kResultCloseCentre{200, 10};
// How often the watcher looks for a result dialog, in program time.
constexpr std::uint32_t kWatchPollMs = 20;
constexpr std::uint64_t kClickAgainMs = 1000;

}  // namespace

ResultDialogWatcher::ResultDialogWatcher(HWND mainWindow) : main_(mainWindow), thread_([this] { Watch(); }) {}

ResultDialogWatcher::~ResultDialogWatcher() {
  stop_ = true;
  thread_.join();
}

std::vector<std::string> ResultDialogWatcher::Results() const {
  std::lock_guard lock(mutex_);
  return results_;
}

void ResultDialogWatcher::Watch() {
  HWND last = nullptr;
  std::uint64_t clickedAt = 0;
  while (!stop_) {
    sys::SleepMs(kWatchPollMs);
    HWND active = GetActiveWindow();
    HWND text = active && active != main_ ? GetDlgItem(active, ui::kIdcResultText) : nullptr;
    if (!text) continue;
    // The dialog sets its text at the end of its start; wait for it.
    const std::string result = GetWindowText(text);
    if (result == "Static") continue;
    if (active != last) {
      last = active;
      clickedAt = 0;
      std::lock_guard lock(mutex_);
      results_.push_back(result);
    }
    // A click that came while the dialog was still settling is clicked again.
    if (clickedAt == 0 || sys::NowMs() - clickedAt > kClickAgainMs) {
      clickedAt = sys::NowMs();
      headless::Click(active, kResultCloseCentre.x, kResultCloseCentre.y);
    }
  }
}

void MainWindowTest::SetUpTestSuite() {
  sys::SetClockScale(kClockScale);
  hid::SelectBackend(hid::BackendKind::kSimulated);
}

void MainWindowTest::SetUp() {
  package::SetPackageFile(VEXARO_DEMO_PACKAGE);
  SetMessageBoxHook([this](std::string_view text, std::string_view caption, UINT) {
    messageBoxes_.push_back(std::string(caption) + ": " + std::string(text));
    return IDOK;
  });
}

void MainWindowTest::TearDown() {
  CloseWindow();
  if (keyboard_) keyboard_->Unplug();
  keyboard_.reset();
  SetMessageBoxHook({});
  package::SetPackageFile("");
  RunFor(100);
}

sim::KeyboardConfig MainWindowTest::DemoConfig() {
  sim::KeyboardConfig config = sim::DemoKeyboardConfig();
  config.timing.reEnumerationMs = 300;
  return config;
}

void MainWindowTest::StartKeyboardWith(sim::KeyboardConfig config, const std::string& version) {
  std::string error;
  keyboard_ = sim::SimKeyboard::Create(std::move(config), error);
  ASSERT_TRUE(keyboard_) << error;
  // With no firmware the keyboard starts in its loader.
  if (!version.empty()) {
    ASSERT_TRUE(keyboard_->InstallFirmware(sim::DemoInternalImage(version), version));
  }
  ASSERT_TRUE(keyboard_->PlugIn());
}

void MainWindowTest::OpenWindow(bool debug) {
  window_ = std::make_unique<CVexaroDlg>();
  window_->SetDebugMode(debug);
  ASSERT_TRUE(window_->Create(ui::kIddMainWindow));
  watcher_ = std::make_unique<ResultDialogWatcher>(window_->m_hWnd);
  const bool application = keyboard_ && keyboard_->CurrentMode() == sim::Mode::kApplication;
  if (application) {
    ASSERT_TRUE(RunUntil([&] { return !FieldText(ui::kIdcCurrentVersion).empty() &&
                                      FieldText(ui::kIdcCurrentVersion) != "Not Read"; }))
        << "the window never showed the keyboard's version";
  }
  RunFor(500);
}

void MainWindowTest::CloseWindow() {
  if (window_ && IsWindow(window_->m_hWnd)) window_->DestroyWindow();
  watcher_.reset();
  window_.reset();
}

void MainWindowTest::RunFor(std::uint64_t ms) {
  const std::uint64_t end = sys::NowMs() + ms;
  RunUntil([&] { return sys::NowMs() >= end; }, ms + 1);
}

void MainWindowTest::ClickUpdateButton() {
  headless::Click(window_->m_hWnd, kUpdateButtonCentre.x, kUpdateButtonCentre.y);
}

void MainWindowTest::ClickCloseButton() {
  headless::Click(window_->m_hWnd, kCloseButtonCentre.x, kCloseButtonCentre.y);
}

void MainWindowTest::PressKey(UINT vk) { headless::PressKey(vk); }

std::string MainWindowTest::FieldText(int id) const { return GetWindowText(GetDlgItem(window_->m_hWnd, id)); }

void MainWindowTest::SavePicture(const std::string& name) {
  const char* folder = std::getenv("VEXARO_UPDATER_PICTURES");
  if (!folder || !*folder) return;
  std::string error;
  EXPECT_TRUE(headless::SaveWindowPng(window_->m_hWnd, std::string(folder) + "/" + name, &error)) << error;
}

std::string MainWindowTest::KeyboardVersionRecord() const {
  const auto bytes = keyboard_->ReadFlash(sim::kDemoVersionRecordAddress + 4, 16);
  std::string text;
  for (auto b : bytes) {
    if (b == 0 || b == 0xFF) break;
    text += static_cast<char>(b);
  }
  return text;
}

}  // namespace vexaro::app::test
