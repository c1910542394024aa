// Painting for the window framework: 32-bit pixel bitmaps, device contexts that
// draw on a window's canvas or on a bitmap, copy/stretch/colour-keyed blits,
// regions as unions of rectangles, fonts from the system's fonts and text drawing.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gui/types.h"

namespace vexaro::gui {

class FontFace;

// Every drawing object shares this base so that SelectObject and DeleteObject
// take any of them. Stock objects are never deleted.
struct GdiObject {
  enum class Kind { Bitmap, Font, Region, Brush };
  explicit GdiObject(Kind k) : kind(k) {}
  virtual ~GdiObject() = default;
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  Kind kind;
  bool stock = false;
};

// 32 bits per pixel, each pixel 0xAARRGGBB (blue in the lowest byte, as in a
// 32-bit device-independent bitmap). Rows are stored top-down unless the
// bitmap was created bottom-up, which only matters to code reading Bits().
struct Bitmap : GdiObject {
  Bitmap(int w, int h, bool bottom_up = false);
  int width;
  int height;
  bool bottomUp;
  bool hasAlpha = false;  // icons: alpha channel (or mask) decides what is drawn
  std::vector<std::uint32_t> pixels;
  std::uint32_t* Row(int y) { return pixels.data() + static_cast<std::size_t>(MemRow(y)) * static_cast<std::size_t>(width); }
  const std::uint32_t* Row(int y) const { return pixels.data() + static_cast<std::size_t>(MemRow(y)) * static_cast<std::size_t>(width); }
  std::uint32_t At(int x, int y) const { return Row(y)[x]; }
  void* Bits() { return pixels.data(); }
 private:
  int MemRow(int y) const { return bottomUp ? height - 1 - y : y; }
};

// A set of pixels kept as non-overlapping rectangles.
struct Region : GdiObject {
  Region() : GdiObject(Kind::Region) {}
  std::vector<RECT> rects;
  bool Contains(int x, int y) const;
  RECT Bounds() const;
};

struct Brush : GdiObject {
  explicit Brush(COLORREF c) : GdiObject(Kind::Brush), color(c) {}
  COLORREF color;
};

struct LOGFONT {
  LONG lfHeight = 0;  // > 0 cell height, < 0 character height, 0 default
  LONG lfWidth = 0;
  LONG lfWeight = 400;
  BYTE lfItalic = 0;
  BYTE lfUnderline = 0;
  BYTE lfStrikeOut = 0;
  BYTE lfCharSet = 1;
  BYTE lfPitchAndFamily = 0;
  std::string lfFaceName;
};

struct Font : GdiObject {
  Font() : GdiObject(Kind::Font) {}
  LOGFONT desc;
  std::shared_ptr<FontFace> face;  // empty when the system has no matching font
};

struct BITMAP {
  LONG bmType = 0;
  LONG bmWidth = 0;
  LONG bmHeight = 0;
  LONG bmWidthBytes = 0;
  WORD bmPlanes = 1;
  WORD bmBitsPixel = 32;
  void* bmBits = nullptr;
};

struct BITMAPINFOHEADER {
  DWORD biSize = 40;
  LONG biWidth = 0;
  LONG biHeight = 0;  // > 0 bottom-up rows, < 0 top-down
  WORD biPlanes = 1;
  WORD biBitCount = 32;
  DWORD biCompression = 0;
  DWORD biSizeImage = 0;
  LONG biXPelsPerMeter = 0;
  LONG biYPelsPerMeter = 0;
  DWORD biClrUsed = 0;
  DWORD biClrImportant = 0;
};
struct BITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
};

struct RGNDATAHEADER {
  DWORD dwSize = 32;
  DWORD iType = 1;
  DWORD nCount = 0;
  DWORD nRgnSize = 0;
  RECT rcBound;
};

struct PAINTSTRUCT {
  HDC hdc = nullptr;
  BOOL fErase = FALSE;
  RECT rcPaint;
};

struct TEXTMETRIC {
  LONG tmHeight = 0;
  LONG tmAscent = 0;
  LONG tmDescent = 0;
  LONG tmAveCharWidth = 0;
};

constexpr DWORD SRCCOPY = 0x00CC0020, PATCOPY = 0x00F00021, BLACKNESS = 0x00000042,
                WHITENESS = 0x00FF0062;
constexpr int BLACKONWHITE = 1, COLORONCOLOR = 3, HALFTONE = 4;
constexpr int TRANSPARENT = 1, OPAQUE = 2;
constexpr int RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5;
constexpr int ERROR = 0, NULLREGION = 1, SIMPLEREGION = 2, COMPLEXREGION = 3;
constexpr DWORD BI_RGB = 0, DIB_RGB_COLORS = 0, RDH_RECTANGLES = 1;
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;
constexpr UINT DT_LEFT = 0, DT_CENTER = 1, DT_RIGHT = 2, DT_VCENTER = 4, DT_BOTTOM = 8,
               DT_WORDBREAK = 0x10, DT_SINGLELINE = 0x20, DT_EXPANDTABS = 0x40,
               DT_NOCLIP = 0x100, DT_CALCRECT = 0x400, DT_NOPREFIX = 0x800,
               DT_END_ELLIPSIS = 0x8000;
constexpr LONG FW_NORMAL = 400, FW_MEDIUM = 500, FW_SEMIBOLD = 600, FW_BOLD = 700;
constexpr BYTE DEFAULT_CHARSET = 1, FF_DONTCARE = 0, FF_ROMAN = 0x10, FF_SWISS = 0x20,
               FF_MODERN = 0x30;
constexpr int COLOR_WINDOW = 5, COLOR_WINDOWTEXT = 8, COLOR_BTNFACE = 15,
              COLOR_BTNSHADOW = 16, COLOR_GRAYTEXT = 17, COLOR_BTNTEXT = 18,
              COLOR_HIGHLIGHT = 13, COLOR_BTNHIGHLIGHT = 20;
constexpr int DEFAULT_GUI_FONT = 17, NULL_BRUSH = 5, WHITE_BRUSH = 0, BLACK_BRUSH = 4;

// Pixel <-> colour reference.
constexpr std::uint32_t PixelFromColor(COLORREF c) {
  return 0xFF000000u | (static_cast<std::uint32_t>(GetRValue(c)) << 16) |
         (static_cast<std::uint32_t>(GetGValue(c)) << 8) | GetBValue(c);
}
constexpr COLORREF ColorFromPixel(std::uint32_t p) {
  return RGB(static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF),
             static_cast<int>(p & 0xFF));
}

// Objects.
HBITMAP CreateBitmap32(int width, int height);
HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height);
HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFO* info, UINT usage, void** bits,
                         void* section = nullptr, DWORD offset = 0);
int GetObject(HGDIOBJ obj, int size, void* out);  // BITMAP for bitmaps
BOOL DeleteObject(HGDIOBJ obj);
HGDIOBJ GetStockObject(int index);
HBRUSH CreateSolidBrush(COLORREF color);
COLORREF GetSysColor(int index);
HBRUSH GetSysColorBrush(int index);

// Device contexts. A memory context draws on the bitmap selected into it.
HDC CreateCompatibleDC(HDC hdc);
BOOL DeleteDC(HDC hdc);
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ obj);
HGDIOBJ GetCurrentObject(HDC hdc, GdiObject::Kind kind);
COLORREF SetTextColor(HDC hdc, COLORREF c);
COLORREF GetTextColor(HDC hdc);
COLORREF SetBkColor(HDC hdc, COLORREF c);
int SetBkMode(HDC hdc, int mode);
int SetStretchBltMode(HDC hdc, int mode);
BOOL SetBrushOrgEx(HDC hdc, int x, int y, POINT* old);
int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom);
int GetClipBox(HDC hdc, RECT* rect);

// Pixels and blits. Coordinates are logical: relative to the window's client
// area for window contexts, to the bitmap for memory contexts.
COLORREF GetPixel(HDC hdc, int x, int y);
COLORREF SetPixel(HDC hdc, int x, int y, COLORREF c);
int FillRect(HDC hdc, const RECT* rect, HBRUSH brush);
int FrameRect(HDC hdc, const RECT* rect, HBRUSH brush);
BOOL BitBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, DWORD rop);
// Equal sizes copy exactly (in every stretch mode, HALFTONE included); other
// sizes sample the source pixel under each destination pixel's centre.
BOOL StretchBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh,
                DWORD rop);
BOOL TransparentBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw,
                    int sh, UINT transparent);
BOOL DrawIcon(HDC hdc, int x, int y, HICON icon);

// Regions.
HRGN CreateRectRgn(int left, int top, int right, int bottom);
HRGN CreateRectRgnIndirect(const RECT* rect);
// rects follow the header; size is the byte size of header and rectangles.
HRGN ExtCreateRegion(const void* xform, DWORD size, const RGNDATAHEADER* data);
int CombineRgn(HRGN dst, HRGN a, HRGN b, int mode);
int OffsetRgn(HRGN rgn, int dx, int dy);
BOOL PtInRegion(HRGN rgn, int x, int y);
int GetRgnBox(HRGN rgn, RECT* rect);
BOOL EqualRgn(HRGN a, HRGN b);

// Fonts and text. Texts are single-byte strings (Latin-1).
HFONT CreateFont(int height, int width, int escapement, int orientation, int weight,
                 DWORD italic, DWORD underline, DWORD strike, DWORD charset, DWORD out_prec,
                 DWORD clip_prec, DWORD quality, DWORD pitch_family, const char* face);
HFONT CreateFontIndirect(const LOGFONT* desc);
int DrawText(HDC hdc, std::string_view text, RECT* rect, UINT format);
BOOL TextOut(HDC hdc, int x, int y, std::string_view text);
BOOL GetTextExtentPoint32(HDC hdc, std::string_view text, SIZE* size);
BOOL GetTextMetrics(HDC hdc, TEXTMETRIC* tm);

// Rectangle helpers.
BOOL SetRect(RECT* r, int left, int top, int right, int bottom);
BOOL IsRectEmpty(const RECT* r);
BOOL PtInRect(const RECT* r, POINT p);
BOOL IntersectRect(RECT* out, const RECT* a, const RECT* b);
BOOL UnionRect(RECT* out, const RECT* a, const RECT* b);
BOOL OffsetRect(RECT* r, int dx, int dy);
BOOL InflateRect(RECT* r, int dx, int dy);
BOOL EqualRect(const RECT* a, const RECT* b);

}  // namespace vexaro::gui
