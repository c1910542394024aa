// The registration object of target vexaro_gui_system: linked into a program
// as an object file (never through a static library, which would drop it),
// it registers the system backend's display, fonts and PNG files with the
// window framework's core before main runs. The embedded resource tables
// register themselves the same way (vexaro_embed_resources). The core's
// registry is constant-initialised, so the order of static initialisation
// does not matter; the display is chosen later, when the first window needs
// it.
#include "platform/gui/backend.h"

namespace vexaro::gui {
namespace {

bool RegisterTheSystemBackend() {
  SystemServices services;
  services.make_display = &native::MakeNativeDisplay;
  services.match_font_face = &native::MatchFontFace;
  services.decode_png = &native::DecodePng;
  services.write_png_file = &native::WritePngFile;
  RegisterSystemServices(services);
  return true;
}

[[maybe_unused]] const bool registered = RegisterTheSystemBackend();

}  // namespace
}  // namespace vexaro::gui

#if defined(__linux__)
// System libraries behind the displays and fonts keep blocks until process
// exit that no pointer of theirs reaches any more (fontconfig's caches are
// freed only by FcFini, which cannot run while other threads may look up
// fonts; D-Bus and X11 connection state opened by SDL). The leak checker of
// sanitizer builds is told that these are theirs, not ours. Only programs
// that link these libraries (through vexaro_gui_system) carry this.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\nleak:libdbus-1.so\nleak:libX11.so\nleak:libSDL2\n";
}
#endif
