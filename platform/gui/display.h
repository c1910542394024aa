// The display in use for the process. Displays themselves (the Display
// interface, the native and the headless one) are backends: see
// platform/gui/backend.h.
#pragma once

#include "platform/gui/backend.h"

namespace vexaro::gui {

// The display in use, chosen at first use: VEXARO_DISPLAY=headless or =sdl
// forces one; otherwise SDL2 when a desktop display is reachable, else headless.
Display& CurrentDisplay();
bool IsHeadless();

}  // namespace vexaro::gui
