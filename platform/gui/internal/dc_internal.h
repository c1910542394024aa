// Internal: the device context record and the helpers the painting code and
// the window core share.
#pragma once

#include <functional>
#include <vector>

#include "platform/gui/gdi.h"

namespace vexaro::gui {

struct DeviceContext {
  Bitmap* target = nullptr;  // the canvas or the bitmap selected into a memory context
  HBITMAP selected = nullptr;
  bool memory = false;
  POINT origin;              // where logical (0, 0) lies on the target
  bool clipSet = false;      // false: the whole target
  std::vector<RECT> clip;    // target coordinates, non-overlapping
  HFONT font = nullptr;
  HBRUSH brush = nullptr;
  COLORREF textColor = 0;
  COLORREF bkColor = 0xFFFFFF;
  int bkMode = OPAQUE;
  int stretchMode = BLACKONWHITE;
  HWND window = nullptr;     // window contexts: whose canvas changed
};

// A context drawing on a window's canvas; clip in canvas coordinates.
HDC MakeCanvasDC(Bitmap* canvas, POINT origin, std::vector<RECT> clip, HWND window);
void FreeDC(HDC hdc);

// Calls fn with every piece of r (target coordinates) that the clip allows.
void ForEachClipped(const DeviceContext& dc, const RECT& r, const std::function<void(const RECT&)>& fn);

// Region arithmetic on rectangle lists (every list non-overlapping).
std::vector<RECT> RectsUnion(const std::vector<RECT>& a, const std::vector<RECT>& b);
std::vector<RECT> RectsIntersect(const std::vector<RECT>& a, const std::vector<RECT>& b);
std::vector<RECT> RectsSubtract(const std::vector<RECT>& a, const std::vector<RECT>& b);
std::vector<RECT> RectsOffset(std::vector<RECT> a, int dx, int dy);

// Blends a colour into a pixel with coverage 0..255.
std::uint32_t BlendPixel(std::uint32_t dst, std::uint32_t color, unsigned coverage);

}  // namespace vexaro::gui
