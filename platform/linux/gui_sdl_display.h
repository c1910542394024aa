// What the SDL2 display offers beyond the display interface, for the desktop
// tests: a screenshot of what a window shows, clicks and presses through SDL,
// real pointer moves, and the X11 window behind a framework window.
#pragma once

#include "platform/gui/gdi.h"

namespace vexaro::gui::sdl {

// The window's pixels as SDL presents them; false when the display is not
// SDL or the window has not been presented yet.
bool Screenshot(HWND top_level, Bitmap& out);
// A left click at a client point of a top-level window, put into SDL's
// event queue so that it takes the desktop's way in.
bool Click(HWND top_level, int x, int y);
// A left button press (down) or release at a client point, through SDL's
// event queue.
bool Press(HWND top_level, int x, int y, bool down);
// Moves the desktop's pointer to a screen point; the desktop then reports the
// move to the window under it as the hand's move would be.
bool MovePointer(int x, int y);
// How many frames have been presented so far.
int PresentCount();
// The X11 window that shows a top-level window; 0 when the display is not
// SDL on X11 or the window has not been shown yet.
unsigned long X11Window(HWND top_level);

}  // namespace vexaro::gui::sdl
