// The update controller: decides which mode the keyboard is in and whether
// the package may be installed, brings the keyboard into its loader, and
// runs the update worker. It talks to its front end only through UpdateView.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "platform/hid/error.h"
#include "updater/outcomes.h"
#include "updater/update_view.h"

namespace vexaro::usb {
class CUSBDriver;
}

namespace vexaro::updater {

enum class UpdateState : int { Idle = 0, Ready = 1, Updating = 2 };

// Which result dialog was shown last; the layout error is shown once per
// attachment of the keyboard and once more after each update result.
enum class ResultKind : int { None = -1, LayoutError = 0, Success = 1, Failure = 2 };

// What the connection step learns from the loader.
struct LoaderInfo {
  std::string LoaderKind;  // "IAP" or "ISP"
  std::uint32_t FlashSize = 0;
  std::uint32_t InfoItem2 = 0;  // kept, not used further
  std::uint32_t ApStart = 0;
  std::uint32_t VersionBase = 0;
  std::uint32_t VersionLength = 0;
  std::uint32_t VersionEnd = 0;
};

// The application-mode report channel as the controller uses it. The
// product's implementation wraps usb::CUSBDriver (updater/usb_report_channel.h).
class ReportChannel {
 public:
  virtual ~ReportChannel() = default;
  virtual bool IsOpen() const = 0;
  virtual bool ReadVersion() = 0;  // true when the version text was read
  virtual int QueryStatus() = 0;   // 1 means the keyboard is ready
  virtual std::string Version() const = 0;
  virtual void ClearVersion() = 0;
};

class UpdateWorker;

class UpdateController {
 public:
  // The window owns the channel and the view; both outlive the controller.
  UpdateController(UpdateView& view, usb::CUSBDriver& channel);
  UpdateController(UpdateView& view, ReportChannel& channel);
  ~UpdateController();  // joins a running worker
  UpdateController(const UpdateController&) = delete;
  UpdateController& operator=(const UpdateController&) = delete;

  // ---- Called on the user-interface thread ------------------------------
  void RefreshDeviceState();  // window start and every device arrival/removal
  // The channel's news that the keyboard came (present) or went: reads the
  // version and runs the check, or clears it.
  void OnKeyboardPresence(bool present);
  // Handler of WM_USB_PRESENCE; lParam non-zero: present. Returns 1.
  long OnDevicePresence(std::uintptr_t wParam, std::intptr_t lParam);
  void CheckVersion();
  bool ConnectLoader();
  void ConnectAndStart();   // OK button, skinned update button, Enter while Idle
  void StartProgramming();  // Program button, Enter while Ready
  // The Enter key: by state, and while idle only as the update button allows.
  void OnEnterKey();
  // The window's timer handler calls this when a result timer fires (it
  // kills the timer and shows the dialog itself).
  void OnResultShown(unsigned timerId);

  // Waits for the worker of the last update to end.
  void JoinWorker();
  // From the start of an update until its worker has returned: the worker
  // still talks to the view for a moment after the state went back to Idle.
  bool WorkerRunning() const { return workerRunning_.load(); }

  // ---- State, readable from any thread ----------------------------------
  UpdateState State() const { return state_.load(); }
  ResultKind LastResultKind() const { return lastResult_.load(); }
  void SetDebugMode(bool on) { debugMode_ = on; }
  // Where stop requests come from (vexaro-flash: Ctrl-C and the like). The
  // connection's waits end when it says so, and the update stops at its next
  // safe point, between two stages, never inside a transfer. Set before the
  // first connection; called from the user-interface and worker threads.
  void SetStopSource(std::function<bool()> stopRequested) { stopSource_ = std::move(stopRequested); }
  bool StopRequested() const { return stopSource_ && stopSource_(); }
  bool DebugMode() const { return debugMode_; }
  LoaderInfo Loader() const;
  std::string DeviceText() const;
  int ProgressPosition() const { return progress_.load(); }

  // ---- Typed results, readable from any thread ---------------------------
  // Which mode the keyboard was found in by the last RefreshDeviceState.
  KeyboardPresence Presence() const { return presence_.load(); }
  // With Presence() NoAccess: which node refused, and why.
  hid::Error AccessError() const;
  // What the last version check decided.
  CheckVerdict LastCheck() const { return verdict_.load(); }
  // Whether the update buttons are on: a keyboard in its loader, or one in
  // its application that passed the check.
  bool UpdateAllowed() const;
  // How the last ConnectAndStart ended.
  ConnectionResult LastConnection() const { return connection_.load(); }
  // The outcome of the last update that has finished, if any.
  std::optional<UpdateOutcome> LastUpdate() const;
  // The application-mode report channel (its version and whether it is open).
  ReportChannel& Channel() { return channel_; }

 private:
  friend class UpdateWorker;

  void ApplicationPhase();
  void LoaderPhase();
  bool ReadLoaderInformation(LoaderInfo& info, std::string& deviceText);
  bool ReadVersionRecord(LoaderInfo& info);
  void EnableUpdateButtonsByVersion(const std::string& current);
  // The update buttons on or off, remembered for the Enter key.
  void SetUpdateButtons(bool enable);
  void SetVersionEnd(std::uint32_t last);  // the worker's record, as written
  void SetLastUpdate(const UpdateOutcome& outcome);
  void NoteAccessRefusal(const hid::Error& error);

  UpdateView& view_;
  std::unique_ptr<ReportChannel> ownedChannel_;
  ReportChannel& channel_;
  std::atomic<UpdateState> state_{UpdateState::Idle};
  std::atomic<ResultKind> lastResult_{ResultKind::None};
  std::atomic<bool> debugMode_{false};
  std::atomic<int> progress_{0};
  std::atomic<bool> workerRunning_{false};
  std::atomic<bool> updateButtonsOn_{false};
  std::atomic<KeyboardPresence> presence_{KeyboardPresence::None};
  std::atomic<CheckVerdict> verdict_{CheckVerdict::NotChecked};
  std::atomic<ConnectionResult> connection_{ConnectionResult::None};
  bool keyboardSeen_ = false;  // during one connection: the application answered
  mutable std::mutex mutex_;  // loader_, deviceText_, lastUpdate_ and accessError_
  LoaderInfo loader_;
  std::string deviceText_;
  std::optional<UpdateOutcome> lastUpdate_;
  hid::Error accessError_;  // the refusal last told, kNone when there is none
  std::thread worker_;
  std::function<bool()> stopSource_;
};

// The part-by-part decimal comparison: true when the current version may be
// replaced by the update version (the same or a newer one).
bool VersionAllowsUpdate(std::string current, std::string update);

// The second character of a version text, or empty when it is shorter.
std::string LayoutMark(const std::string& version);

}  // namespace vexaro::updater
