// Value classes of the window framework's class layer: rectangles, points,
// sizes and the CString text type.
#pragma once

#include <string>
#include <string_view>

#include "platform/gui/gdi.h"

namespace vexaro::gui {

struct CPoint : POINT {
  CPoint() = default;
  CPoint(int x0, int y0) { x = x0; y = y0; }
  CPoint(POINT p) : POINT(p) {}
  explicit CPoint(LPARAM l) { x = GET_X_LPARAM(l); y = GET_Y_LPARAM(l); }
  bool operator==(const CPoint& o) const { return x == o.x && y == o.y; }
};

struct CSize : SIZE {
  CSize() = default;
  CSize(int w, int h) { cx = w; cy = h; }
};

struct CRect : RECT {
  CRect() = default;
  CRect(int l, int t, int r, int b) { left = l; top = t; right = r; bottom = b; }
  CRect(const RECT& r) : RECT(r) {}
  CRect(POINT p, SIZE s) { left = p.x; top = p.y; right = p.x + s.cx; bottom = p.y + s.cy; }
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  CSize Size() const { return {Width(), Height()}; }
  CPoint TopLeft() const { return {left, top}; }
  CPoint BottomRight() const { return {right, bottom}; }
  CPoint CenterPoint() const { return {(left + right) / 2, (top + bottom) / 2}; }
  BOOL IsRectEmpty() const { return gui::IsRectEmpty(this); }
  BOOL PtInRect(POINT p) const { return gui::PtInRect(this, p); }
  void SetRect(int l, int t, int r, int b) { *this = CRect(l, t, r, b); }
  void SetRectEmpty() { *this = CRect(); }
  void OffsetRect(int dx, int dy) { gui::OffsetRect(this, dx, dy); }
  void DeflateRect(int dx, int dy) { gui::InflateRect(this, -dx, -dy); }
  void InflateRect(int dx, int dy) { gui::InflateRect(this, dx, dy); }
  bool operator==(const CRect& o) const { return EqualRect(this, &o) != FALSE; }
};

// Single-byte text with the few operations the program's code uses.
class CString : public std::string {
 public:
  using std::string::string;
  CString() = default;
  CString(const std::string& s) : std::string(s) {}
  CString(std::string_view s) : std::string(s) {}
  int GetLength() const { return static_cast<int>(size()); }
  bool IsEmpty() const { return empty(); }
  void Empty() { clear(); }
  CString& MakeLower();
  CString& MakeUpper();
  void Format(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
  operator const char*() const { return c_str(); }
};

}  // namespace vexaro::gui
