// What a display backend gives the window framework, and what the framework
// gives it back. The system backend (platform/linux, platform/windows) defines
// every function of "System services"; platform/headless defines the
// off-screen display. Nothing above the platform seam includes this header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gui/gdi.h"
#include "platform/gui/input.h"
#include "platform/gui/types.h"

namespace vexaro::gui {

// ---------------------------------------------------------------- Display
// Where top-level windows are shown. The framework keeps each window's canvas
// and tells the display what changed; the display feeds user input back
// through the functions of platform/gui/input.h (from any thread). Every
// function is called on the thread that owns the window concerned.
class Display {
 public:
  virtual ~Display() = default;
  // "headless", "sdl", ...: VEXARO_DISPLAY names a display by this.
  virtual const char* Name() const = 0;
  virtual SIZE ScreenSize() const = 0;
  // A top-level window was shown or hidden, moved or resized, or destroyed.
  virtual void Show(HWND hwnd, const RECT& screen_rect, bool visible) = 0;
  virtual void Move(HWND hwnd, const RECT& screen_rect) = 0;
  virtual void Destroyed(HWND hwnd) = 0;
  // The window's canvas (children included) is ready to be seen. The display
  // copies what it needs before returning.
  virtual void Present(HWND hwnd, const Bitmap& canvas) = 0;
  virtual void SetTitle(HWND, const std::string&) {}
  virtual void SetIcon(HWND, const Bitmap&) {}
};

// ---------------------------------------------------------------- Fonts
struct GlyphImage {
  int width = 0;
  int height = 0;
  int left = 0;     // from the pen position to the first column
  int top = 0;      // from the baseline up to the first row
  int advance = 0;  // pen movement in pixels
  std::vector<std::uint8_t> coverage;  // width * height, 0..255
};

// One face at one size, as the system renders it.
class FontFace {
 public:
  virtual ~FontFace() = default;
  virtual int Ascent() const = 0;
  virtual int Descent() const = 0;
  // Safe to call from any thread; the reference stays valid as long as the face.
  virtual const GlyphImage& Glyph(std::uint32_t code) = 0;
};

// ---------------------------------------------------------------- System services
// Defined once per build by the system backend; callable from any thread.

// The desktop's display, or nullptr when no desktop display is reachable.
std::unique_ptr<Display> MakeNativeDisplay();
// The face that best matches face name, height, weight and pitch-and-family
// of desc; nullptr when the system offers no fonts at all (text is then
// neither drawn nor measured).
std::shared_ptr<FontFace> MatchFontFace(const LOGFONT& desc);
// A PNG image (as icons may hold) decoded into a new 32-bit bitmap with
// alpha, owned by the caller. False with *error saying why; images larger
// than 1024 pixels a side are refused.
bool DecodePng(const unsigned char* data, std::size_t size, Bitmap*& out, std::string* error);
// Writes the bitmap as an opaque RGBA PNG file; false with *error saying why.
bool WritePngFile(const Bitmap& bmp, const std::string& path, std::string* error);

// ---------------------------------------------------------------- Headless display
// Defined by platform/headless: windows live off-screen on a 1920x1080 screen.
std::unique_ptr<Display> MakeHeadlessDisplay();

// ---------------------------------------------------------------- From the framework
// What the top-level window shows now, children included; pending paints of
// the window run first (on its thread). nullptr for a hidden or no window.
std::unique_ptr<Bitmap> CaptureTopLevel(HWND top_level);

}  // namespace vexaro::gui
