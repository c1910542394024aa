#include "app/auto_update.h"

#include <cstdio>

#include "app/main_window.h"
#include "platform/sys/sys.h"

namespace vexaro::app {

using namespace gui;

namespace {

// The keyboard must show up in application mode within this time, or the
// run gives up (there is nothing to update).
constexpr std::uint64_t kKeyboardWaitMs = 20000;
// The result dialog stays this long, so that someone watching can read it.
constexpr std::uint64_t kResultShownMs = 2000;
// After the result the keyboard restarts its application; the new version is
// read when it has come back.
constexpr std::uint64_t kVersionWaitMs = 15000;

}  // namespace

AutoUpdate::AutoUpdate(CVexaroDlg& window) : window_(window) {
  SetMessageBoxHook([this](std::string_view text, std::string_view caption, UINT) {
    std::fprintf(stderr, "vexaro-updater: %.*s: %.*s\n", static_cast<int>(caption.size()), caption.data(),
                 static_cast<int>(text.size()), text.data());
    std::fflush(stderr);
    boxAnswered_ = true;
    return IDOK;
  });
}

AutoUpdate::~AutoUpdate() { SetMessageBoxHook({}); }

void AutoUpdate::Tick() {
  const std::uint64_t now = sys::NowMs();
  if (startMs_ == 0) startMs_ = now;
  if (outcome_ != Outcome::Pending) return;
  updater::UpdateController& controller = window_.Controller();
  const updater::ResultKind result = controller.LastResultKind();
  if (!pressed_) {
    if (window_.UpdateButton().IsWindowEnabled()) PressUpdate();
    else if (now - startMs_ > kKeyboardWaitMs) Finish(Outcome::NoKeyboard, "no keyboard ready for the update");
    return;
  }
  // A connection that failed shows no result dialog: the run ends here.
  const updater::ConnectionResult connection = controller.LastConnection();
  if (controller.State() == updater::UpdateState::Idle && !controller.WorkerRunning() &&
      connection != updater::ConnectionResult::None && connection != updater::ConnectionResult::Connected) {
    Finish(connection == updater::ConnectionResult::Refused ? Outcome::Failure : Outcome::NoKeyboard,
           "cannot connect to the keyboard's loader (Cannot connect to chip!)");
    return;
  }
  if (controller.State() != updater::UpdateState::Idle || result == updater::ResultKind::None) return;
  if (resultSeenMs_ == 0) resultSeenMs_ = now;
  if (now - resultSeenMs_ < kResultShownMs) return;
  CloseResultDialog();
  const auto update = controller.LastUpdate();
  if (!update || !update->success || boxAnswered_) {
    Finish(Outcome::Failure, FailureReason());
    return;
  }
  const std::string version = controller.Channel().Version();
  if (version == window_.PackageVersion()) Finish(Outcome::Success, "update done; the keyboard now runs " + version);
  else if (now - resultSeenMs_ > kVersionWaitMs) Finish(Outcome::Failure, "the keyboard did not come back with the new version");
}

// As a click does: the skinned button's command, with its handle.
void AutoUpdate::PressUpdate() {
  pressed_ = true;
  std::printf("vexaro-updater: keyboard runs %s; updating to %s\n", window_.Controller().Channel().Version().c_str(),
              window_.PackageVersion().c_str());
  std::fflush(stdout);
  window_.PostMessage(WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), reinterpret_cast<LPARAM>(window_.UpdateButton().m_hWnd));
}

void AutoUpdate::CloseResultDialog() {
  HWND active = GetActiveWindow();
  if (active && active != window_.m_hWnd) PostMessage(active, WM_CLOSE, 0, 0);
}

std::string AutoUpdate::FailureReason() const {
  const auto update = window_.Controller().LastUpdate();
  if (!update) return "update failed";
  const std::string text = update->failureText.empty() ? update->lastStatusText : update->failureText;
  return "update failed in its " + std::string(updater::UpdateStageName(update->stage)) + " stage (" + text + ")";
}

// Success goes to standard output, every other end to standard error.
void AutoUpdate::Finish(Outcome outcome, const std::string& line) {
  outcome_ = outcome;
  std::FILE* to = outcome == Outcome::Success ? stdout : stderr;
  std::fprintf(to, "vexaro-updater: %s\n", line.c_str());
  std::fflush(to);
  PostQuitMessage(0);
}

}  // namespace vexaro::app
