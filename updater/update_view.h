// What the connection logic and the update worker need of a front end: the
// main window implements it with its controls and skin, vexaro-flash on the
// terminal. The worker thread calls these functions too; an implementation
// carries each call to its own thread when it needs to.
#pragma once

#include <string>

#include "updater/outcomes.h"

namespace vexaro::updater {

// Identifiers of the window timers that raise the result dialog.
inline constexpr unsigned kLayoutErrorTimer = 4096;
inline constexpr unsigned kSuccessTimer = 4097;
inline constexpr unsigned kFailureTimer = 4098;

class UpdateView {
 public:
  virtual ~UpdateView() = default;

  virtual void SetConnectionText(const std::string& text) = 0;      // field 1004
  virtual void SetStatusText(const std::string& text) = 0;          // field 1007
  virtual void SetCurrentVersionText(const std::string& text) = 0;  // field 1009

  // The OK button (1010) and the skinned update button, always together.
  virtual void EnableUpdateButtons(bool enable) = 0;
  // The close command of the system menu and the skinned close button.
  virtual void EnableCloseControls(bool enable) = 0;
  virtual void ShowProgramButton(bool show) = 0;      // 1003
  virtual void EnableProgramButton(bool enable) = 0;  // 1003
  virtual void FocusUpdateButton() = 0;
  virtual void FocusProgramButton() = 0;

  // Bar 1011 to position, and the painted progress rectangle invalidated
  // with erase so that the skin redraws it.
  virtual void SetProgress(int position) = 0;
  // The painted progress rectangle invalidated with erase.
  virtual void InvalidateProgressArea() = 0;
  // The whole window invalidated with erase.
  virtual void InvalidateWindow() = 0;

  // Window timers 4096, 4097, 4098; the window's timer handler raises the
  // result dialog and tells the controller (UpdateController::OnResultShown).
  virtual void SetResultTimer(unsigned id, unsigned periodMs) = 0;
  virtual void KillResultTimer(unsigned id) = 0;

  // Modal message box with an OK button; returns when it is dismissed.
  virtual void ShowMessageBox(const std::string& text, const std::string& caption) = 0;

  // Called by the worker once per update, before the closing status text
  // and before the result timer is armed. The window has nothing to do
  // here (its result dialog follows the timer); vexaro-flash reports the
  // outcome and its exit code from it.
  virtual void ReportOutcome(const UpdateOutcome& outcome) { (void)outcome; }
};

}  // namespace vexaro::updater
