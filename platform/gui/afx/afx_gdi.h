// Drawing classes of the window framework's class layer: owning wrappers for
// bitmaps, fonts, regions and brushes, and device contexts (memory, paint and
// client contexts).
#pragma once

#include <string_view>

#include "platform/gui/afx/afx_types.h"
#include "platform/gui/gdi.h"

namespace vexaro::gui {

class CWnd;

class CGdiObject {
 public:
  CGdiObject() = default;
  virtual ~CGdiObject() { DeleteObject(); }
  CGdiObject(const CGdiObject&) = delete;
  CGdiObject& operator=(const CGdiObject&) = delete;
  BOOL DeleteObject();
  BOOL Attach(HGDIOBJ obj);
  HGDIOBJ Detach();
  HGDIOBJ GetSafeHandle() const { return m_hObject; }
  HGDIOBJ m_hObject = nullptr;
};

class CBitmap : public CGdiObject {
 public:
  BOOL LoadBitmap(UINT id);  // from the embedded resources
  BOOL CreateCompatibleBitmap(class CDC* dc, int width, int height);
  int GetBitmap(BITMAP* bm) const;
  operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
};

class CFont : public CGdiObject {
 public:
  BOOL CreateFont(int height, int width, int escapement, int orientation, int weight,
                  BYTE italic, BYTE underline, BYTE strike, BYTE charset, BYTE out_prec,
                  BYTE clip_prec, BYTE quality, BYTE pitch_family, const char* face);
  BOOL CreateFontIndirect(const LOGFONT* lf);
  operator HFONT() const { return static_cast<HFONT>(m_hObject); }
};

class CRgn : public CGdiObject {
 public:
  BOOL CreateRectRgn(int l, int t, int r, int b);
  int CombineRgn(const CRgn* a, const CRgn* b, int mode);
  operator HRGN() const { return static_cast<HRGN>(m_hObject); }
};

class CBrush : public CGdiObject {
 public:
  CBrush() = default;
  explicit CBrush(COLORREF c) { CreateSolidBrush(c); }
  BOOL CreateSolidBrush(COLORREF c);
  operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
};

class CDC {
 public:
  CDC() = default;
  explicit CDC(HDC hdc) : m_hDC(hdc) {}  // not owned
  virtual ~CDC();
  CDC(const CDC&) = delete;
  CDC& operator=(const CDC&) = delete;
  BOOL CreateCompatibleDC(CDC* dc);
  BOOL DeleteDC();
  HDC GetSafeHdc() const { return m_hDC; }
  operator HDC() const { return m_hDC; }

  HGDIOBJ SelectObject(HGDIOBJ obj) { return gui::SelectObject(m_hDC, obj); }
  HGDIOBJ SelectObject(CGdiObject* obj) { return obj ? gui::SelectObject(m_hDC, obj->m_hObject) : nullptr; }
  COLORREF SetTextColor(COLORREF c) { return gui::SetTextColor(m_hDC, c); }
  COLORREF GetTextColor() const { return gui::GetTextColor(m_hDC); }
  COLORREF SetBkColor(COLORREF c) { return gui::SetBkColor(m_hDC, c); }
  int SetBkMode(int mode) { return gui::SetBkMode(m_hDC, mode); }
  int SetStretchBltMode(int mode) { return gui::SetStretchBltMode(m_hDC, mode); }
  BOOL BitBlt(int x, int y, int w, int h, CDC* src, int sx, int sy, DWORD rop);
  BOOL StretchBlt(int x, int y, int w, int h, CDC* src, int sx, int sy, int sw, int sh, DWORD rop);
  BOOL TransparentBlt(int x, int y, int w, int h, CDC* src, int sx, int sy, int sw, int sh, UINT key);
  int DrawText(std::string_view text, RECT* rect, UINT format) { return gui::DrawText(m_hDC, text, rect, format); }
  BOOL TextOut(int x, int y, std::string_view text) { return gui::TextOut(m_hDC, x, y, text); }
  void FillSolidRect(const RECT* rect, COLORREF c);
  void FillRect(const RECT* rect, CBrush* brush) { gui::FillRect(m_hDC, rect, brush ? static_cast<HBRUSH>(*brush) : nullptr); }
  COLORREF GetPixel(int x, int y) const { return gui::GetPixel(m_hDC, x, y); }
  COLORREF SetPixel(int x, int y, COLORREF c) { return gui::SetPixel(m_hDC, x, y, c); }
  BOOL DrawIcon(int x, int y, HICON icon) { return gui::DrawIcon(m_hDC, x, y, icon); }

  HDC m_hDC = nullptr;

 protected:
  bool m_owned = false;
};

class CPaintDC : public CDC {
 public:
  explicit CPaintDC(CWnd* wnd);
  ~CPaintDC() override;
  PAINTSTRUCT m_ps;

 private:
  HWND m_hWnd;
};

class CClientDC : public CDC {
 public:
  explicit CClientDC(CWnd* wnd);
  ~CClientDC() override;

 private:
  HWND m_hWnd;
};

}  // namespace vexaro::gui
