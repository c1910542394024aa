// What the SDL2 display offers beyond the display interface: a screenshot of
// what a window shows on the desktop, for the desktop smoke test.
#pragma once

#include "platform/gui/gdi.h"

namespace vexaro::gui::sdl {

// The window's pixels as SDL presents them; false when the display is not
// SDL or the window has not been presented yet.
bool Screenshot(HWND top_level, Bitmap& out);
// How many frames have been presented so far.
int PresentCount();

}  // namespace vexaro::gui::sdl
