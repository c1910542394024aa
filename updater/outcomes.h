// What the controller decided, as values every front end reads: whether a
// keyboard is there and in which mode, what the version check said, how a
// connection to the loader ended, and how an update ended. Texts are for
// people and never decide an exit code or a dialog.
#pragma once

#include <string>

namespace vexaro::updater {

// NoAccess: a node of the keyboard is there but refuses this user, or
// another program holds it (UpdateController::AccessError says which).
enum class KeyboardPresence { None, Application, Loader, NoAccess };

enum class CheckVerdict {
  NotChecked,    // no keyboard in application mode has been checked yet
  Allowed,       // the update buttons are enabled
  LayoutError,   // another layout (or, without the debug option, a version that names none)
  NewerVersion,  // the keyboard carries a newer version than the package
};

enum class ConnectionResult {
  None,               // no connection was tried yet
  Connected,          // the loader answered and told what the update needs
  NoKeyboard,         // nothing of the package's kind appeared in either mode
  LoaderUnreachable,  // a keyboard was there, but its loader never appeared
  Refused,            // the loader appeared but could not be read, or the request was not carried out
  Stopped,            // a stop was requested while the keyboard was awaited
};

// The stage an update ended in: where it failed, or Done.
enum class UpdateStage {
  Package, SizeCheck, ExternalRange, EraseExternal, ProgramExternal, VerifyExternal, Erase, Reset,
  Reconnect, Program, Verify, VersionRecord, StartApplication, Done,
};
const char* UpdateStageName(UpdateStage stage);

// The real result of one update, whatever the hidden status field says last.
struct UpdateOutcome {
  bool success = false;
  UpdateStage stage = UpdateStage::Package;
  // The failure text shown before the closing status text (empty on success
  // and for failures that have no text of their own).
  std::string failureText;
  // True when the image did not fit the chip (the size message box).
  bool imageTooLarge = false;
  // True when the package's images could not be read.
  bool packageUnreadable = false;
  // True when a stop request ended the update at a safe point.
  bool stopped = false;
  // The status text the update had reached (the stage it ended in).
  std::string lastStatusText;
};

// Whether a failed update left the keyboard in its loader, where it stays
// (and does not type) until an update succeeds or it is unplugged.
bool LeavesKeyboardInUpdateMode(const UpdateOutcome& outcome);
inline constexpr const char* kStaysInUpdateModeText =
    "The keyboard stays in update mode and will not type until the update is run again.";
// The same, short enough for the result dialog's closing line.
inline constexpr const char* kStaysInUpdateModeNote = "The keyboard stays in update mode until the update is run again.";

}  // namespace vexaro::updater
