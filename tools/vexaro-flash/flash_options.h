// vexaro-flash's command line: what to install from, how to report, and
// its exit codes.
#pragma once

#include <string>
#include <vector>

namespace vexaro::flash {

enum ExitCode : int {
  kExitSuccess = 0,
  kExitUpdateFailed = 1,
  kExitRefused = 2,      // the layout or version check refused the package
  kExitNoKeyboard = 3,   // no keyboard in either mode (or its loader never answered)
  kExitBadPackage = 4,   // no valid package in the file
  kExitUsage = 5,        // the command line was wrong
  kExitFileUnreadable = 6,  // FILE cannot be read: not found, a folder, no permission, not a regular file
  kExitNoAccess = 7,     // the keyboard is there but cannot be opened (permission, held by another program)
  kExitInUse = 8,        // another updater is using the keyboard; nothing was sent
  kExitNotConfirmed = 9,  // the user did not confirm the update; nothing was written
  kExitStopped = 130,    // a stop request (Ctrl-C, SIGTERM, SIGHUP) ended the run at a safe point
};

struct FlashOptions {
  std::string packageFile;  // empty: the program's own file
  bool json = false;
  bool list = false;
  bool simulated = false;
  bool allowAnyVersion = false;
  bool help = false;
  bool version = false;     // --version: the program's name and version
  bool yes = false;         // --yes: no question before writing
  bool reinstall = false;   // install even when the keyboard carries the package's version
  bool quiet = false;       // only the result line and errors
  bool verbose = false;     // also loader information and each step's detail
  std::string device;  // --device PORT: only the keyboard at PORT
  bool all = false;    // --all: every keyboard of the package's kind, one child process each
  bool packageShown = false;  // a later keyboard of one --list: the package was shown before
};

// False with error naming the argument that was wrong.
bool ParseFlashOptions(const std::vector<std::string>& arguments, FlashOptions& options, std::string& error);

// The manual page printed by --help.
const char* FlashManual();

}  // namespace vexaro::flash
