// Pixel access, fills and the blits: copy, stretch and colour-keyed copy.
#include <algorithm>
#include <vector>

#include "platform/gui/internal/dc_internal.h"

namespace vexaro::gui {
namespace {

RECT ToTarget(const DeviceContext& dc, int x, int y, int w, int h) {
  return {x + dc.origin.x, y + dc.origin.y, x + dc.origin.x + w, y + dc.origin.y + h};
}

void Fill(DeviceContext& dc, const RECT& logical, std::uint32_t px) {
  RECT r = logical;
  OffsetRect(&r, dc.origin.x, dc.origin.y);
  ForEachClipped(dc, r, [&](const RECT& p) {
    for (LONG y = p.top; y < p.bottom; ++y) std::fill(dc.target->Row(y) + p.left, dc.target->Row(y) + p.right, px);
  });
}

// Reads source pixel (sx, sy) in the source context's logical coordinates.
bool SourcePixel(const DeviceContext& src, int sx, int sy, std::uint32_t& px) {
  const int x = sx + src.origin.x, y = sy + src.origin.y;
  if (!src.target || x < 0 || y < 0 || x >= src.target->width || y >= src.target->height) return false;
  px = src.target->At(x, y);
  return true;
}

// Copies with per-pixel source lookup; the source is snapshotted when it is
// the destination too, so overlapping copies read the old pixels.
template <typename Map, typename Keep>
BOOL Transfer(HDC dst, int x, int y, int w, int h, HDC src, Map map, Keep keep) {
  if (!dst || !src || !dst->target || !src->target || w <= 0 || h <= 0) return FALSE;
  DeviceContext source = *src;
  Bitmap copy(0, 0);
  if (src->target == dst->target) {
    copy.width = src->target->width;
    copy.height = src->target->height;
    copy.pixels.resize(static_cast<std::size_t>(copy.width) * static_cast<std::size_t>(copy.height));
    for (int row = 0; row < copy.height; ++row)
      std::copy_n(src->target->Row(row), copy.width, copy.Row(row));
    source.target = &copy;
  }
  ForEachClipped(*dst, ToTarget(*dst, x, y, w, h), [&](const RECT& p) {
    for (LONG ty = p.top; ty < p.bottom; ++ty) {
      std::uint32_t* row = dst->target->Row(ty);
      for (LONG tx = p.left; tx < p.right; ++tx) {
        int sx = 0, sy = 0;
        map(tx - dst->origin.x - x, ty - dst->origin.y - y, sx, sy);
        std::uint32_t px;
        if (SourcePixel(source, sx, sy, px) && keep(px)) row[tx] = px | 0xFF000000u;
      }
    }
  });
  return TRUE;
}

// An equal-size copy: every clipped piece whose source rows lie wholly inside
// the source bitmap is copied a row at a time (alpha forced opaque, as in the
// per-pixel path); pieces reaching outside the source take the per-pixel path,
// which leaves the missing pixels untouched.
BOOL CopyBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy) {
  if (!dst || !src || !dst->target || !src->target || w <= 0 || h <= 0) return FALSE;
  if (src->target == dst->target) {
    return Transfer(dst, x, y, w, h, src, [&](int dx, int dy, int& ox, int& oy) { ox = sx + dx; oy = sy + dy; },
                    [](std::uint32_t) { return true; });
  }
  const Bitmap& from = *src->target;
  // Target coordinate t maps to source bitmap coordinate t + shift.
  const long long shift_x = static_cast<long long>(sx) + src->origin.x - x - dst->origin.x;
  const long long shift_y = static_cast<long long>(sy) + src->origin.y - y - dst->origin.y;
  ForEachClipped(*dst, ToTarget(*dst, x, y, w, h), [&](const RECT& p) {
    const long long left = p.left + shift_x, right = p.right + shift_x;
    const long long top = p.top + shift_y, bottom = p.bottom + shift_y;
    if (left < 0 || top < 0 || right > from.width || bottom > from.height) {
      Transfer(dst, p.left - dst->origin.x, p.top - dst->origin.y, p.right - p.left, p.bottom - p.top, src,
               [&](int dx, int dy, int& ox, int& oy) {
                 ox = static_cast<int>(p.left + dx + shift_x - src->origin.x);
                 oy = static_cast<int>(p.top + dy + shift_y - src->origin.y);
               },
               [](std::uint32_t) { return true; });
      return;
    }
    const std::size_t n = static_cast<std::size_t>(p.right - p.left);
    for (LONG ty = p.top; ty < p.bottom; ++ty) {
      const std::uint32_t* in = from.Row(static_cast<int>(ty + shift_y)) + left;
      std::uint32_t* out = dst->target->Row(ty) + p.left;
      for (std::size_t i = 0; i < n; ++i) out[i] = in[i] | 0xFF000000u;
    }
  });
  return TRUE;
}

}  // namespace

COLORREF GetPixel(HDC hdc, int x, int y) {
  std::uint32_t px;
  if (!hdc || !SourcePixel(*hdc, x, y, px)) return CLR_INVALID;
  return ColorFromPixel(px);
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF c) {
  if (!hdc) return CLR_INVALID;
  Fill(*hdc, RECT{x, y, x + 1, y + 1}, PixelFromColor(c));
  return c;
}

int FillRect(HDC hdc, const RECT* rect, HBRUSH brush) {
  if (!hdc || !rect || !brush) return 0;
  if (brush->color != CLR_INVALID) Fill(*hdc, *rect, PixelFromColor(brush->color));
  return 1;
}

int FrameRect(HDC hdc, const RECT* rect, HBRUSH brush) {
  if (!hdc || !rect || !brush || IsRectEmpty(rect)) return 0;
  const RECT& r = *rect;
  const std::uint32_t px = PixelFromColor(brush->color);
  Fill(*hdc, RECT{r.left, r.top, r.right, r.top + 1}, px);
  Fill(*hdc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, px);
  Fill(*hdc, RECT{r.left, r.top, r.left + 1, r.bottom}, px);
  Fill(*hdc, RECT{r.right - 1, r.top, r.right, r.bottom}, px);
  return 1;
}

BOOL BitBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, DWORD rop) {
  if (!dst) return FALSE;
  switch (rop) {
    case SRCCOPY:
      return CopyBlt(dst, x, y, w, h, src, sx, sy);
    case BLACKNESS: Fill(*dst, RECT{x, y, x + w, y + h}, 0xFF000000u); return TRUE;
    case WHITENESS: Fill(*dst, RECT{x, y, x + w, y + h}, 0xFFFFFFFFu); return TRUE;
    case PATCOPY:
      if (dst->brush) Fill(*dst, RECT{x, y, x + w, y + h}, PixelFromColor(dst->brush->color));
      return TRUE;
    default: return FALSE;
  }
}

BOOL StretchBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh,
                DWORD rop) {
  if (w == sw && h == sh) return BitBlt(dst, x, y, w, h, src, sx, sy, rop);
  if (!dst || !src || rop != SRCCOPY || w <= 0 || h <= 0 || sw <= 0 || sh <= 0) return FALSE;
  // Every stretch mode samples the source pixel under each destination centre.
  return Transfer(dst, x, y, w, h, src, [&](int dx, int dy, int& ox, int& oy) {
    ox = sx + static_cast<int>((2LL * dx + 1) * sw / (2LL * w));
    oy = sy + static_cast<int>((2LL * dy + 1) * sh / (2LL * h));
  }, [](std::uint32_t) { return true; });
}

BOOL TransparentBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw,
                    int sh, UINT transparent) {
  if (sw <= 0 || sh <= 0) return FALSE;
  const std::uint32_t key = PixelFromColor(transparent) & 0x00FFFFFFu;
  return Transfer(dst, x, y, w, h, src, [&](int dx, int dy, int& ox, int& oy) {
    ox = sx + static_cast<int>(static_cast<long long>(dx) * sw / w);
    oy = sy + static_cast<int>(static_cast<long long>(dy) * sh / h);
  }, [key](std::uint32_t px) { return (px & 0x00FFFFFFu) != key; });
}

BOOL DrawIcon(HDC hdc, int x, int y, HICON icon) {
  if (!hdc || !icon || !hdc->target) return FALSE;
  ForEachClipped(*hdc, ToTarget(*hdc, x, y, icon->width, icon->height), [&](const RECT& p) {
    for (LONG ty = p.top; ty < p.bottom; ++ty)
      for (LONG tx = p.left; tx < p.right; ++tx) {
        const std::uint32_t px = icon->At(tx - hdc->origin.x - x, ty - hdc->origin.y - y);
        const unsigned a = icon->hasAlpha ? (px >> 24) : 255u;
        hdc->target->Row(ty)[tx] = BlendPixel(hdc->target->Row(ty)[tx], px & 0x00FFFFFFu, a);
      }
  });
  return TRUE;
}

}  // namespace vexaro::gui
