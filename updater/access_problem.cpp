#include "updater/access_problem.h"

namespace vexaro::updater {
namespace {

// What the user can do about it; the advice differs by system, the
// question never does.
const char* Advice(hid::Reason reason) {
  if (reason == hid::Reason::kBusy) {
    return "Another program holds it: close other updaters or tools that use the keyboard, then try again.";
  }
#ifdef _WIN32
  return "Windows refused this user access to it: unplug and replug the keyboard, or run the updater as an "
         "administrator.";
#else
  return "Install the udev rule 70-vexaro-keyboard.rules (sudo cp 70-vexaro-keyboard.rules /etc/udev/rules.d/ && "
         "sudo udevadm control --reload && sudo udevadm trigger), then replug the keyboard; where the seat's "
         "logind is missing, the rule lets the group plugdev in instead: sudo usermod -aG plugdev $USER and log "
         "in again.";
#endif
}

}  // namespace

bool IsAccessRefusal(const hid::Error& error) {
  return error.reason == hid::Reason::kPermissionDenied || error.reason == hid::Reason::kBusy;
}

std::string AccessProblemText(const hid::Error& error) {
  const std::string node = error.path.empty() ? std::string("node") : "node " + error.path;
  return "The keyboard's HID " + node + " cannot be opened: " + hid::ReasonName(error.reason) +
         (error.systemText.empty() ? "" : " (" + error.systemText + ")") + ". " + Advice(error.reason);
}

}  // namespace vexaro::updater
