// The headless display's helpers for tests and tools. The display itself is
// built into the window framework's core (platform/gui/display.cpp).
#include "platform/gui/backend.h"
#include "platform/gui/window.h"
#include "platform/headless/headless.h"

namespace vexaro::gui {
namespace headless {

std::unique_ptr<Bitmap> Capture(HWND top_level) { return CaptureTopLevel(top_level); }

COLORREF PixelAt(HWND top_level, int x, int y) {
  auto bmp = Capture(top_level);
  if (!bmp || x < 0 || y < 0 || x >= bmp->width || y >= bmp->height) return CLR_INVALID;
  return ColorFromPixel(bmp->At(x, y));
}

bool SavePng(const Bitmap& bmp, const std::string& path, std::string* error) {
  return WritePngFile(bmp, path, error);
}

bool SaveWindowPng(HWND top_level, const std::string& path, std::string* error) {
  auto bmp = Capture(top_level);
  if (!bmp) {
    if (error) *error = "the window is not a visible top-level window";
    return false;
  }
  return SavePng(*bmp, path, error);
}

void MoveMouse(HWND hwnd, int x, int y) {
  POINT p{x, y};
  ClientToScreen(hwnd, &p);
  input::MouseMove(p.x, p.y);
}

void Click(HWND hwnd, int x, int y) {
  POINT p{x, y};
  ClientToScreen(hwnd, &p);
  input::MouseMove(p.x, p.y);
  input::MouseButton(input::kLeft, true, p.x, p.y);
  input::MouseButton(input::kLeft, false, p.x, p.y);
}

void PressKey(UINT vk, char ch) {
  input::Key(vk, true, ch);
  input::Key(vk, false, 0);
}

}  // namespace headless
}  // namespace vexaro::gui
