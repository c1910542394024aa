// Choosing the display once per process.
#include "platform/gui/display.h"

#include <cstdlib>
#include <string>

#include "platform/sys/sys.h"

namespace vexaro::gui {
namespace {

std::unique_ptr<Display> Choose() {
  const char* env = std::getenv("VEXARO_DISPLAY");
  const std::string wanted = env ? env : "";
  if (wanted == "headless") return MakeHeadlessDisplay();
  if (wanted.empty() || wanted == "sdl" || wanted == "native") {
    if (auto native = MakeNativeDisplay()) return native;
    if (!wanted.empty()) sys::DebugOutput("gui: no native display reachable; using the headless display\n");
    return MakeHeadlessDisplay();
  }
  sys::DebugOutput("gui: VEXARO_DISPLAY='" + wanted + "' is not a display (headless, sdl); using headless\n");
  return MakeHeadlessDisplay();
}

}  // namespace

Display& CurrentDisplay() {
  static Display* display = Choose().release();  // lives for the whole process
  return *display;
}

bool IsHeadless() { return std::string(CurrentDisplay().Name()) == "headless"; }

}  // namespace vexaro::gui

#if defined(__linux__)
// System libraries behind the displays and fonts keep blocks until process
// exit that no pointer of theirs reaches any more (fontconfig's caches are
// freed only by FcFini, which cannot run while other threads may look up
// fonts; D-Bus and X11 connection state opened by SDL). The leak checker of
// sanitizer builds is told that these are theirs, not ours.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\nleak:libdbus-1.so\nleak:libX11.so\nleak:libSDL2\n";
}
#endif
