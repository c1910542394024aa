// A keyboard that is there but cannot be opened (no permission, held by
// another program) is not "no keyboard": what the controller learns of such
// a refusal, and the sentence that tells the user which node, why, and how
// to mend it.
#pragma once

#include <string>

#include "platform/hid/error.h"

namespace vexaro::updater {

// True for the reasons that mean "found, but not ours to open".
bool IsAccessRefusal(const hid::Error& error);

// "The keyboard's HID node /dev/hidraw3 cannot be opened: permission denied.
// <what to do>" for an access refusal.
std::string AccessProblemText(const hid::Error& error);

}  // namespace vexaro::updater
