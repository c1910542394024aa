// What a backend gives the window framework, and what the framework gives it
// back. The framework's core (target vexaro_gui) holds the off-screen display
// and links no backend: the system backend (platform/linux, platform/windows)
// defines the functions of namespace native below, and target
// vexaro_gui_system registers them with the core when a program links it
// (platform/gui/system_backend.cpp). Nothing above the platform seam includes
// this header.
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
// Defined once per build by the system backend (vexaro_<system>_gui);
// callable from any thread. The core never calls these by name: it reaches
// them through the services registered below, so that a program that links
// only the core links no display, font or image library.
namespace native {

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
// Writes the bitmap as an RGBA PNG file of PixelsForFile(bmp); false with
// *error saying why.
bool WritePngFile(const Bitmap& bmp, const std::string& path, std::string* error);

}  // namespace native

// ---------------------------------------------------------------- Registration
// The services a program has. Every member may be null: the core then does
// without (see the functions below).
struct SystemServices {
  std::unique_ptr<Display> (*make_display)() = nullptr;
  std::shared_ptr<FontFace> (*match_font_face)(const LOGFONT& desc) = nullptr;
  bool (*decode_png)(const unsigned char* data, std::size_t size, Bitmap*& out, std::string* error) = nullptr;
  bool (*write_png_file)(const Bitmap& bmp, const std::string& path, std::string* error) = nullptr;
};

// Registers the members of services that are set, replacing those registered
// before; safe from static initialisation on. A display registered after the
// display was chosen (the first window) is not taken up.
void RegisterSystemServices(const SystemServices& services);

// What the framework calls, from any thread: the registered service, or
// without one nullptr (no font: text is neither drawn nor measured) or false
// with *error saying that the program has no PNG support. The display is
// chosen once (platform/gui/display.h).
std::shared_ptr<FontFace> MatchFontFace(const LOGFONT& desc);
bool DecodePng(const unsigned char* data, std::size_t size, Bitmap*& out, std::string* error);
bool WritePngFile(const Bitmap& bmp, const std::string& path, std::string* error);

// ---------------------------------------------------------------- Headless display
// Built into the core: windows live off-screen on a 1920x1080 screen. The
// display of every program without a system display, and of any program
// under VEXARO_DISPLAY=headless.
std::unique_ptr<Display> MakeHeadlessDisplay();

// ---------------------------------------------------------------- From the framework
// What the top-level window shows now, children included; pending paints of
// the window run first (on its thread). nullptr for a hidden or no window.
std::unique_ptr<Bitmap> CaptureTopLevel(HWND top_level);
// What a PNG file of bmp holds: 0xAARRGGBB pixels, rows top-down. An icon
// keeps its alpha, so that its corners stay transparent; any other bitmap is
// opaque, as its alpha byte means nothing (drawing leaves it zero).
std::vector<std::uint32_t> PixelsForFile(const Bitmap& bmp);

}  // namespace vexaro::gui
