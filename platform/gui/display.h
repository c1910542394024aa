// The display a top-level window is shown on: SDL2 on a Linux desktop, or the
// headless display (off-screen windows, for tests and screenshots). The window
// framework tells the display what changed; the display feeds user input back
// through the functions in platform/gui/input.h.
#pragma once

#include <memory>
#include <string>

#include "platform/gui/gdi.h"
#include "platform/gui/types.h"

namespace vexaro::gui {

class Display {
 public:
  virtual ~Display() = default;
  virtual const char* Name() const = 0;
  virtual SIZE ScreenSize() const = 0;
  // A top-level window was shown or hidden, moved or resized, or destroyed.
  virtual void Show(HWND hwnd, const RECT& screen_rect, bool visible) = 0;
  virtual void Move(HWND hwnd, const RECT& screen_rect) = 0;
  virtual void Destroyed(HWND hwnd) = 0;
  // The window's canvas (children included) is ready to be seen. Called on the
  // window's thread; the display copies what it needs before returning.
  virtual void Present(HWND hwnd, const Bitmap& canvas) = 0;
  virtual void SetTitle(HWND, const std::string&) {}
  virtual void SetIcon(HWND, const Bitmap&) {}
};

// The display in use, chosen at first use: VEXARO_DISPLAY=headless or =sdl
// forces one; otherwise SDL2 when a desktop display is reachable, else headless.
Display& CurrentDisplay();
bool IsHeadless();

// Display backends available in this build.
std::unique_ptr<Display> MakeHeadlessDisplay();
std::unique_ptr<Display> MakeNativeDisplay();  // nullptr when no desktop display is reachable

}  // namespace vexaro::gui
