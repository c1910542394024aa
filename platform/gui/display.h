// The display in use for the process. Displays themselves (the Display
// interface, the native and the headless one) are backends: see
// platform/gui/backend.h.
#pragma once

#include "platform/gui/backend.h"

namespace vexaro::gui {

// The display in use, chosen at first use: VEXARO_DISPLAY=headless or =sdl
// forces one; otherwise the system's display (SDL2 on Linux, the Win32
// display on Windows) when the program registered it (by linking
// vexaro_gui_system) and a desktop is reachable, else the headless display.
Display& CurrentDisplay();
bool IsHeadless();
// Whether the program registered a system display: it links
// vexaro_gui_system, whichever display is in use at run time. A program that
// links only the framework's core (vexaro_gui) has none; its windows live on
// the headless display, and message boxes go to standard error.
bool HasSystemDisplay();

}  // namespace vexaro::gui
