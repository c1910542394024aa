// Windows build of the window framework: the headless display and the
// portable core work; fonts, PNG files and the native display arrive with the
// Windows backend (GDI and user32), so these report that they are missing.
#include "platform/gui/backend.h"

namespace vexaro::gui {

std::shared_ptr<FontFace> MatchFontFace(const LOGFONT&) {
  // No font rasteriser in this build yet: text is neither drawn nor measured.
  return nullptr;
}

bool DecodePng(const unsigned char*, std::size_t, Bitmap*&, std::string* error) {
  if (error) *error = "PNG images are not supported in the Windows build yet";
  return false;
}

std::unique_ptr<Display> MakeNativeDisplay() { return nullptr; }

bool WritePngFile(const Bitmap&, const std::string& path, std::string* error) {
  if (error) *error = path + ": PNG output is not supported in the Windows build yet";
  return false;
}

}  // namespace vexaro::gui
