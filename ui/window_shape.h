// Window shapes from mask bitmaps: a region that is the union of one-pixel-high
// runs of the pixels outside a key colour range, and its use as the region of
// a window (the skinned buttons take the outline of their masks this way).
#pragma once

#include "platform/gui/gdi.h"

namespace vexaro::ui {

// Rectangles gathered before they are turned into a partial region and merged.
constexpr int kRegionBatchRects = 2000;
// Growth step of the rectangle buffer, in rectangles.
constexpr int kRegionBufferStep = 100;

// A new region (owned by the caller) covering every pixel of `bitmap` that is
// not within the key range, in the bitmap's pixel coordinates (origin top
// left); nullptr for no bitmap or when a context, DIB or region cannot be made.
//
// Per byte of the 32-bit pixel the range runs from the key's component to
// that component plus the tolerance's, capped at 255. The key's first (red)
// byte is compared with the pixel's lowest byte, which in the DIB is blue, and
// its blue byte with the pixel's red: for grey keys with equal tolerance
// components, as the skin uses, the order makes no difference.
gui::HRGN BuildRegionFromBitmap(gui::HBITMAP bitmap, gui::COLORREF key, gui::COLORREF tolerance);

// Shapes `window` after `mask` (white outside, key 0xFFFFFF, tolerance 0)
// with redraw; the window then owns the region. On failure a message box
// "error" appears and the window keeps its shape. True when shaped.
bool ApplyWindowShape(gui::HWND window, gui::HBITMAP mask);

}  // namespace vexaro::ui
