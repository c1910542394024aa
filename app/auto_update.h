// The unattended demo run of the window (the --auto-update option): presses
// the skinned update button once the keyboard is ready, closes the result
// dialog after a pause, reports the result and the version the keyboard
// then carries on standard output, and ends the program.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/gui/types.h"

namespace vexaro::app {

class CVexaroDlg;

inline constexpr std::string_view kAutoUpdateOption = "--auto-update";
inline constexpr gui::UINT_PTR kAutoUpdateTimer = 4200;

class AutoUpdate {
 public:
  enum class Outcome { Pending, Success, Failure, NoKeyboard };

  // Answers every message box from now on (the run has nobody to press OK):
  // its text goes to standard error and the run counts as failed.
  explicit AutoUpdate(CVexaroDlg& window);
  ~AutoUpdate();
  AutoUpdate(const AutoUpdate&) = delete;
  AutoUpdate& operator=(const AutoUpdate&) = delete;
  // Called from the window's timer; drives the run one step.
  void Tick();
  Outcome Result() const { return outcome_; }

 private:
  void PressUpdate();
  void CloseResultDialog();
  void Finish(Outcome outcome, const std::string& line);
  // Why the update ended as it did, from the controller's typed results.
  std::string FailureReason() const;

  CVexaroDlg& window_;
  Outcome outcome_ = Outcome::Pending;
  bool pressed_ = false;
  std::uint64_t startMs_ = 0;
  std::uint64_t resultSeenMs_ = 0;
  bool boxAnswered_ = false;
};

// Poll period of the run.
inline constexpr gui::UINT kAutoUpdatePollMs = 100;

}  // namespace vexaro::app
