// The services a program registered (platform/gui/backend.h), the headless
// display built into the core, and choosing the display once per process.
#include "platform/gui/display.h"

#include <atomic>
#include <cstdlib>
#include <string>

#include "platform/sys/sys.h"

namespace vexaro::gui {
namespace {

// Constant-initialised, so registration works from any static initialiser
// whatever the order in which the program's objects are initialised.
constinit std::atomic<decltype(SystemServices::make_display)> g_make_display{nullptr};
constinit std::atomic<decltype(SystemServices::match_font_face)> g_match_font_face{nullptr};
constinit std::atomic<decltype(SystemServices::decode_png)> g_decode_png{nullptr};
constinit std::atomic<decltype(SystemServices::write_png_file)> g_write_png_file{nullptr};
constinit std::atomic<bool> g_display_chosen{false};

// The framework keeps each window's canvas; this display has nothing to show
// it on, so it only tells the screen's size.
class HeadlessDisplay final : public Display {
 public:
  const char* Name() const override { return "headless"; }
  SIZE ScreenSize() const override { return {1920, 1080}; }
  void Show(HWND, const RECT&, bool) override {}
  void Move(HWND, const RECT&) override {}
  void Destroyed(HWND) override {}
  void Present(HWND, const Bitmap&) override {}
};

std::unique_ptr<Display> Choose() {
  g_display_chosen = true;
  const char* env = std::getenv("VEXARO_DISPLAY");
  const std::string wanted = env ? env : "";
  if (wanted == "headless") return MakeHeadlessDisplay();
  if (wanted.empty() || wanted == "sdl" || wanted == "native") {
    const auto make = g_make_display.load();
    if (make) {
      if (auto native = make()) return native;
    }
    if (!wanted.empty()) {
      sys::DebugOutput(make ? "gui: no native display reachable; using the headless display\n"
                            : "gui: this program has no native display (it links the window framework's core "
                              "only); using the headless display\n");
    }
    return MakeHeadlessDisplay();
  }
  sys::DebugOutput("gui: VEXARO_DISPLAY='" + wanted + "' is not a display (headless, sdl); using headless\n");
  return MakeHeadlessDisplay();
}

bool NoPng(std::string* error) {
  if (error) *error = "this program has no PNG support (it links the window framework's core only)";
  return false;
}

}  // namespace

void RegisterSystemServices(const SystemServices& services) {
  if (services.make_display) {
    if (g_display_chosen) sys::DebugOutput("gui: a display registered after the display was chosen is not used\n");
    g_make_display = services.make_display;
  }
  if (services.match_font_face) g_match_font_face = services.match_font_face;
  if (services.decode_png) g_decode_png = services.decode_png;
  if (services.write_png_file) g_write_png_file = services.write_png_file;
}

std::shared_ptr<FontFace> MatchFontFace(const LOGFONT& desc) {
  const auto match = g_match_font_face.load();
  return match ? match(desc) : nullptr;
}

bool DecodePng(const unsigned char* data, std::size_t size, Bitmap*& out, std::string* error) {
  const auto decode = g_decode_png.load();
  return decode ? decode(data, size, out, error) : NoPng(error);
}

bool WritePngFile(const Bitmap& bmp, const std::string& path, std::string* error) {
  const auto write = g_write_png_file.load();
  return write ? write(bmp, path, error) : NoPng(error);
}

std::unique_ptr<Display> MakeHeadlessDisplay() { return std::make_unique<HeadlessDisplay>(); }

Display& CurrentDisplay() {
  static Display* display = Choose().release();  // lives for the whole process
  return *display;
}

bool IsHeadless() { return std::string(CurrentDisplay().Name()) == "headless"; }

bool HasSystemDisplay() { return g_make_display.load() != nullptr; }

}  // namespace vexaro::gui
