// Bitmaps, brushes, stock objects and device contexts.
#include <utility>
#include <algorithm>
#include <cstring>
#include <mutex>

#include "platform/gui/backend.h"
#include "platform/gui/internal/dc_internal.h"

namespace vexaro::gui {

Bitmap::Bitmap(int w, int h, bool bottom_up)
    : GdiObject(Kind::Bitmap),
      width(std::max(w, 0)),
      height(std::max(h, 0)),
      bottomUp(bottom_up),
      pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0xFF000000u) {}

std::vector<std::uint32_t> PixelsForFile(const Bitmap& bmp) {
  const std::uint32_t opaque = bmp.hasAlpha ? 0u : 0xFF000000u;
  std::vector<std::uint32_t> out;
  out.reserve(bmp.pixels.size());
  for (int y = 0; y < bmp.height; ++y) {
    const std::uint32_t* row = bmp.Row(y);
    for (int x = 0; x < bmp.width; ++x) out.push_back(row[x] | opaque);
  }
  return out;
}

namespace {

// Largest bitmap accepted: guards allocations driven by file headers.
constexpr long long kMaxPixels = 64LL * 1024 * 1024;

template <typename T>
T* Stock(T* obj) {
  obj->stock = true;
  return obj;
}

Bitmap* StockBitmap() {
  static Bitmap* bmp = Stock(new Bitmap(1, 1));
  return bmp;
}

}  // namespace

HBITMAP CreateBitmap32(int width, int height) {
  if (width <= 0 || height <= 0 || static_cast<long long>(width) * height > kMaxPixels)
    return nullptr;
  return new Bitmap(width, height);
}

HBITMAP CreateCompatibleBitmap(HDC, int width, int height) { return CreateBitmap32(width, height); }

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, UINT, void** bits, void*, DWORD) {
  if (!info || info->bmiHeader.biBitCount != 32 || info->bmiHeader.biCompression != BI_RGB)
    return nullptr;
  const LONG w = info->bmiHeader.biWidth, h = info->bmiHeader.biHeight;
  const LONG ah = h < 0 ? -h : h;
  if (w <= 0 || ah <= 0 || static_cast<long long>(w) * ah > kMaxPixels) return nullptr;
  auto* bmp = new Bitmap(w, ah, h > 0);
  std::fill(bmp->pixels.begin(), bmp->pixels.end(), 0u);
  if (bits) *bits = bmp->Bits();
  return bmp;
}

int GetObject(HGDIOBJ obj, int size, void* out) {
  if (!obj || obj->kind != GdiObject::Kind::Bitmap || !out ||
      size < static_cast<int>(sizeof(BITMAP)))
    return 0;
  auto* bmp = static_cast<Bitmap*>(obj);
  BITMAP bm;
  bm.bmWidth = bmp->width;
  bm.bmHeight = bmp->height;
  bm.bmWidthBytes = bmp->width * 4;
  bm.bmBits = bmp->Bits();
  std::memcpy(out, &bm, sizeof bm);
  return static_cast<int>(sizeof bm);
}

BOOL DeleteObject(HGDIOBJ obj) {
  if (!obj) return FALSE;
  if (!obj->stock) delete obj;
  return TRUE;
}

HBRUSH CreateSolidBrush(COLORREF color) { return new Brush(color); }

COLORREF GetSysColor(int index) {
  switch (index) {
    case COLOR_WINDOW: return RGB(255, 255, 255);
    case COLOR_WINDOWTEXT:
    case COLOR_BTNTEXT: return RGB(0, 0, 0);
    case COLOR_BTNSHADOW: return RGB(160, 160, 160);
    case COLOR_GRAYTEXT: return RGB(109, 109, 109);
    case COLOR_HIGHLIGHT: return RGB(0, 120, 215);
    case COLOR_BTNHIGHLIGHT: return RGB(255, 255, 255);
    case COLOR_BTNFACE:
    default: return RGB(240, 240, 240);
  }
}

HBRUSH GetSysColorBrush(int index) {
  static std::mutex m;
  static Brush* brushes[32] = {};
  if (index < 0 || index >= 32) return nullptr;
  std::lock_guard lock(m);
  if (!brushes[index]) brushes[index] = Stock(new Brush(GetSysColor(index)));
  return brushes[index];
}

HGDIOBJ GetStockObject(int index) {
  static Brush* white = Stock(new Brush(RGB(255, 255, 255)));
  static Brush* black = Stock(new Brush(RGB(0, 0, 0)));
  static Brush* null_brush = Stock(new Brush(CLR_INVALID));
  static Font* gui_font = [] {
    LOGFONT lf;
    lf.lfHeight = -11;
    lf.lfPitchAndFamily = FF_SWISS;
    Font* f = CreateFontIndirect(&lf);
    return Stock(f);
  }();
  switch (index) {
    case WHITE_BRUSH: return white;
    case BLACK_BRUSH: return black;
    case NULL_BRUSH: return null_brush;
    case DEFAULT_GUI_FONT: return gui_font;
    default: return nullptr;
  }
}

HDC MakeCanvasDC(Bitmap* canvas, POINT origin, std::vector<RECT> clip, HWND window) {
  auto* dc = new DeviceContext;
  dc->target = canvas;
  dc->origin = origin;
  dc->clipSet = true;
  dc->clip = std::move(clip);
  dc->window = window;
  dc->font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  return dc;
}

void FreeDC(HDC hdc) { delete hdc; }

HDC CreateCompatibleDC(HDC) {
  auto* dc = new DeviceContext;
  dc->memory = true;
  dc->selected = StockBitmap();
  dc->target = dc->selected;
  dc->font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  return dc;
}

BOOL DeleteDC(HDC hdc) {
  if (!hdc) return FALSE;
  delete hdc;
  return TRUE;
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ obj) {
  if (!hdc || !obj) return nullptr;
  switch (obj->kind) {
    case GdiObject::Kind::Bitmap: {
      if (!hdc->memory) return nullptr;
      HGDIOBJ old = hdc->selected;
      hdc->selected = static_cast<HBITMAP>(obj);
      hdc->target = hdc->selected;
      return old;
    }
    case GdiObject::Kind::Font: {
      HGDIOBJ old = hdc->font;
      hdc->font = static_cast<HFONT>(obj);
      return old;
    }
    case GdiObject::Kind::Brush: {
      HGDIOBJ old = hdc->brush;
      hdc->brush = static_cast<HBRUSH>(obj);
      return old ? old : GetStockObject(WHITE_BRUSH);
    }
    case GdiObject::Kind::Region: {
      // Selecting a region sets the clip to it, in logical coordinates.
      auto rects = RectsOffset(static_cast<HRGN>(obj)->rects, hdc->origin.x, hdc->origin.y);
      hdc->clip = hdc->clipSet ? RectsIntersect(hdc->clip, rects) : rects;
      hdc->clipSet = true;
      return reinterpret_cast<HGDIOBJ>(static_cast<std::uintptr_t>(SIMPLEREGION));
    }
  }
  return nullptr;
}

HGDIOBJ GetCurrentObject(HDC hdc, GdiObject::Kind kind) {
  if (!hdc) return nullptr;
  switch (kind) {
    case GdiObject::Kind::Bitmap: return hdc->selected;
    case GdiObject::Kind::Font: return hdc->font;
    case GdiObject::Kind::Brush: return hdc->brush;
    default: return nullptr;
  }
}

COLORREF SetTextColor(HDC hdc, COLORREF c) {
  if (!hdc) return CLR_INVALID;
  return std::exchange(hdc->textColor, c);
}
COLORREF GetTextColor(HDC hdc) { return hdc ? hdc->textColor : CLR_INVALID; }
COLORREF SetBkColor(HDC hdc, COLORREF c) {
  if (!hdc) return CLR_INVALID;
  return std::exchange(hdc->bkColor, c);
}
int SetBkMode(HDC hdc, int mode) {
  if (!hdc || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
  return std::exchange(hdc->bkMode, mode);
}
int SetStretchBltMode(HDC hdc, int mode) {
  if (!hdc || mode < 1 || mode > 4) return 0;
  return std::exchange(hdc->stretchMode, mode);
}
BOOL SetBrushOrgEx(HDC hdc, int, int, POINT* old) {
  if (old) *old = {};
  return hdc ? TRUE : FALSE;
}

int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom) {
  if (!hdc) return ERROR;
  RECT r{left + hdc->origin.x, top + hdc->origin.y, right + hdc->origin.x,
         bottom + hdc->origin.y};
  if (!hdc->clipSet && hdc->target) hdc->clip = {RECT{0, 0, hdc->target->width, hdc->target->height}};
  hdc->clip = RectsIntersect(hdc->clip, {r});
  hdc->clipSet = true;
  return hdc->clip.empty() ? NULLREGION : COMPLEXREGION;
}

int GetClipBox(HDC hdc, RECT* rect) {
  if (!hdc || !rect || !hdc->target) return ERROR;
  Region r;
  r.rects = hdc->clipSet ? hdc->clip : std::vector<RECT>{{0, 0, hdc->target->width, hdc->target->height}};
  *rect = r.Bounds();
  OffsetRect(rect, -hdc->origin.x, -hdc->origin.y);
  return r.rects.empty() ? NULLREGION : SIMPLEREGION;
}

void ForEachClipped(const DeviceContext& dc, const RECT& r, const std::function<void(const RECT&)>& fn) {
  if (!dc.target) return;
  RECT bounds{0, 0, dc.target->width, dc.target->height}, inside;
  if (!IntersectRect(&inside, &r, &bounds)) return;
  if (!dc.clipSet) {
    fn(inside);
    return;
  }
  for (const RECT& c : dc.clip) {
    RECT piece;
    if (IntersectRect(&piece, &inside, &c)) fn(piece);
  }
}

std::uint32_t BlendPixel(std::uint32_t dst, std::uint32_t color, unsigned a) {
  if (a >= 255) return color | 0xFF000000u;
  if (a == 0) return dst;
  std::uint32_t out = 0xFF000000u;
  for (int shift = 0; shift <= 16; shift += 8) {
    const unsigned d = (dst >> shift) & 0xFF, c = (color >> shift) & 0xFF;
    const unsigned v = (d * (255 - a) + c * a + 127) / 255;
    out |= v << shift;
  }
  return out;
}

}  // namespace vexaro::gui
