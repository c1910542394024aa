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
