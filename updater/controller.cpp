// The controller's state machine on the user-interface thread: the mode of
// the keyboard, the layout and version check, and the start of an update.
#include "updater/controller.h"

#include "isp/isp_api.h"
#include "isp/isp_status.h"
#include "package/package.h"
#include "platform/sys/sys.h"
#include "updater/access_problem.h"
#include "updater/package_ids.h"
#include "updater/update_worker.h"

namespace vexaro::updater {
namespace {

// The channel may see the keyboard before its firmware answers reports.
constexpr int kPresenceAttempts = 15;
// After a failed version read the channel retries by itself on its next
// presence message; this short pause keeps it from spinning.
constexpr std::uint32_t kVersionReadRetryMs = 100;
// The application needs a moment after enumeration before its status reads ready.
constexpr std::uint32_t kStatusRetryMs = 500;
// The layout error waits a little so the window has painted the new version.
constexpr unsigned kLayoutErrorDelayMs = 200;

}  // namespace

UpdateController::UpdateController(UpdateView& view, ReportChannel& channel)
    : view_(view), channel_(channel) {}

UpdateController::~UpdateController() { JoinWorker(); }

void UpdateController::RefreshDeviceState() {
  const bool updating = State() == UpdateState::Updating;
  view_.EnableCloseControls(!updating);
  if (!updating) {
    const bool ap = ApplicationFound();
    const hid::Error apError = ap ? hid::Error{} : isp::LastDeviceError();
    const bool iap = LoaderFound();
    const hid::Error iapError = iap ? hid::Error{} : isp::LastDeviceError();
    presence_ = ap ? KeyboardPresence::Application : iap ? KeyboardPresence::Loader : KeyboardPresence::None;
    if (!ap && !iap) NoteAccessRefusal(IsAccessRefusal(apError) ? apError : iapError);
    SetUpdateButtons(ap || iap);
    if (ap) CheckVersion();
    view_.SetConnectionText(ap ? "AP Connected" : iap ? "IAP Connected" : "Not Connected");
    view_.ShowProgramButton(false);
    view_.EnableCloseControls(true);
  }
  view_.InvalidateProgressArea();
}

long UpdateController::OnDevicePresence(std::uintptr_t, std::intptr_t lParam) {
  OnKeyboardPresence(lParam != 0);
  return 1;
}

void UpdateController::OnKeyboardPresence(bool present) {
  if (present) {
    for (int attempt = 0; attempt < kPresenceAttempts; ++attempt) {
      if (!channel_.ReadVersion()) {
        sys::SleepMs(kVersionReadRetryMs);
        return;
      }
      if (channel_.QueryStatus() == 1) break;
      sys::SleepMs(kStatusRetryMs);
    }
    CheckVersion();
  } else {
    lastResult_ = ResultKind::None;
    verdict_ = CheckVerdict::NotChecked;
    channel_.ClearVersion();
    view_.SetCurrentVersionText("");
    if (State() == UpdateState::Idle && !LoaderFound()) SetUpdateButtons(false);
  }
  view_.InvalidateWindow();
}

void UpdateController::CheckVersion() {
  const std::string current = channel_.Version();
  view_.SetCurrentVersionText(current);
  const bool open = channel_.IsOpen();
  // A keyboard whose version cannot be read, or whose layout mark is no
  // digit, tells nothing about its layout: it is refused as one of another
  // layout, but with the debug option it may be updated, the only way to
  // mend it.
  const bool unreadable = !package::LayoutMarkProblem(current).empty();
  if (open && (LayoutMark(current) == LayoutMark(package::ThePackageInfo().UpdateVersion) ||
               (DebugMode() && unreadable))) {
    EnableUpdateButtonsByVersion(current);
    return;
  }
  if (open) verdict_ = CheckVerdict::LayoutError;
  SetUpdateButtons(false);
  if (open && LastResultKind() != ResultKind::LayoutError) {
    view_.SetResultTimer(kLayoutErrorTimer, kLayoutErrorDelayMs);
  }
}

void UpdateController::EnableUpdateButtonsByVersion(const std::string& current) {
  const bool allow = VersionAllowsUpdate(current, package::ThePackageInfo().UpdateVersion) || DebugMode();
  verdict_ = allow ? CheckVerdict::Allowed : CheckVerdict::NewerVersion;
  SetUpdateButtons(allow);
  view_.KillResultTimer(kLayoutErrorTimer);
}

void UpdateController::ConnectAndStart() {
  // The keyboard's return re-enables the update buttons while the worker is
  // still finishing. A click then would use the engine beside the worker and
  // end in joining a worker that waits for this thread's view.
  if (WorkerRunning()) {
    connection_ = ConnectionResult::Refused;
    return;
  }
  connection_ = ConnectionResult::None;
  SetUpdateButtons(false);
  view_.SetConnectionText("Not Connected");
  view_.SetStatusText("NA");
  view_.EnableCloseControls(false);
  const bool ok = ConnectLoader();
  view_.EnableCloseControls(true);
  if (ok) {
    connection_ = ConnectionResult::Connected;
    view_.EnableProgramButton(true);
    state_ = UpdateState::Ready;
    view_.FocusProgramButton();
    StartProgramming();
    return;
  }
  view_.SetStatusText("Cannot connect to chip!");
  // Another try makes sense only with a keyboard there: with none, the
  // button (and Enter) would start two idle count-downs again.
  SetUpdateButtons(ApplicationFound() || LoaderFound());
  state_ = UpdateState::Idle;
  view_.FocusUpdateButton();
}

void UpdateController::StartProgramming() {
  JoinWorker();  // the last update's worker has ended (the state was Idle)
  state_ = UpdateState::Updating;
  view_.EnableCloseControls(false);
  workerRunning_ = true;
  worker_ = std::thread([this] {
    UpdateWorker(*this).Run();
    workerRunning_ = false;
  });
}

void UpdateController::JoinWorker() {
  if (worker_.joinable()) worker_.join();
}

// Enter does what a click on the enabled button would, and nothing the
// checks have refused: a disabled button is not pressed by a key either.
void UpdateController::OnEnterKey() {
  switch (State()) {
    case UpdateState::Idle:
      if (updateButtonsOn_) {
        ConnectAndStart();
      } else if (Presence() == KeyboardPresence::None) {
        view_.ShowMessageBox("No keyboard is connected. Plug the keyboard in, then start the update.",
                             "No Keyboard");
      }
      break;
    case UpdateState::Ready: StartProgramming(); break;
    case UpdateState::Updating: break;
  }
}

void UpdateController::SetUpdateButtons(bool enable) {
  updateButtonsOn_ = enable;
  view_.EnableUpdateButtons(enable);
}

void UpdateController::OnResultShown(unsigned timerId) {
  if (timerId == kLayoutErrorTimer) lastResult_ = ResultKind::LayoutError;
  if (timerId == kSuccessTimer) lastResult_ = ResultKind::Success;
  if (timerId == kFailureTimer) lastResult_ = ResultKind::Failure;
}

LoaderInfo UpdateController::Loader() const {
  std::lock_guard lock(mutex_);
  return loader_;
}

void UpdateController::SetVersionEnd(std::uint32_t last) {
  std::lock_guard lock(mutex_);
  loader_.VersionEnd = last;
}

// A keyboard that is there but refuses this user is told once per node and
// reason, not at every device change.
void UpdateController::NoteAccessRefusal(const hid::Error& error) {
  if (!IsAccessRefusal(error)) {
    std::lock_guard lock(mutex_);
    accessError_ = {};
    return;
  }
  presence_ = KeyboardPresence::NoAccess;
  {
    std::lock_guard lock(mutex_);
    const bool told = accessError_.reason == error.reason && accessError_.path == error.path;
    accessError_ = error;
    if (told) return;
  }
  view_.ShowMessageBox(AccessProblemText(error), "Keyboard Not Accessible");
}

hid::Error UpdateController::AccessError() const {
  std::lock_guard lock(mutex_);
  return accessError_;
}

bool UpdateController::UpdateAllowed() const {
  const KeyboardPresence presence = Presence();
  return presence == KeyboardPresence::Loader ||
         (presence == KeyboardPresence::Application && LastCheck() == CheckVerdict::Allowed);
}

std::optional<UpdateOutcome> UpdateController::LastUpdate() const {
  std::lock_guard lock(mutex_);
  return lastUpdate_;
}

void UpdateController::SetLastUpdate(const UpdateOutcome& outcome) {
  std::lock_guard lock(mutex_);
  lastUpdate_ = outcome;
}

std::string UpdateController::DeviceText() const {
  std::lock_guard lock(mutex_);
  return deviceText_;
}

}  // namespace vexaro::updater
