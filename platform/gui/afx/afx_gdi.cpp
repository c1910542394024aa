// The drawing classes and CString.
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <utility>
#include <vector>

#include "platform/gui/afx/afx_gdi.h"
#include "platform/gui/afx/afx_wnd.h"
#include "platform/gui/window.h"

namespace vexaro::gui {

BOOL CGdiObject::DeleteObject() {
  if (!m_hObject) return FALSE;
  gui::DeleteObject(std::exchange(m_hObject, nullptr));
  return TRUE;
}

BOOL CGdiObject::Attach(HGDIOBJ obj) {
  if (m_hObject || !obj) return FALSE;
  m_hObject = obj;
  return TRUE;
}

HGDIOBJ CGdiObject::Detach() { return std::exchange(m_hObject, nullptr); }

BOOL CBitmap::LoadBitmap(UINT id) {
  DeleteObject();
  m_hObject = gui::LoadBitmap(static_cast<int>(id));
  return m_hObject ? TRUE : FALSE;
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* dc, int width, int height) {
  DeleteObject();
  m_hObject = gui::CreateCompatibleBitmap(dc ? dc->m_hDC : nullptr, width, height);
  return m_hObject ? TRUE : FALSE;
}

int CBitmap::GetBitmap(BITMAP* bm) const { return GetObject(m_hObject, sizeof(BITMAP), bm); }

BOOL CFont::CreateFont(int height, int width, int escapement, int orientation, int weight,
                       BYTE italic, BYTE underline, BYTE strike, BYTE charset, BYTE out_prec,
                       BYTE clip_prec, BYTE quality, BYTE pitch_family, const char* face) {
  DeleteObject();
  m_hObject = gui::CreateFont(height, width, escapement, orientation, weight, italic, underline,
                              strike, charset, out_prec, clip_prec, quality, pitch_family, face);
  return m_hObject ? TRUE : FALSE;
}

BOOL CFont::CreateFontIndirect(const LOGFONT* lf) {
  DeleteObject();
  m_hObject = gui::CreateFontIndirect(lf);
  return m_hObject ? TRUE : FALSE;
}

BOOL CRgn::CreateRectRgn(int l, int t, int r, int b) {
  DeleteObject();
  m_hObject = gui::CreateRectRgn(l, t, r, b);
  return TRUE;
}

int CRgn::CombineRgn(const CRgn* a, const CRgn* b, int mode) {
  if (!m_hObject) m_hObject = gui::CreateRectRgn(0, 0, 0, 0);
  return gui::CombineRgn(*this, a ? static_cast<HRGN>(*a) : nullptr, b ? static_cast<HRGN>(*b) : nullptr, mode);
}

BOOL CBrush::CreateSolidBrush(COLORREF c) {
  DeleteObject();
  m_hObject = gui::CreateSolidBrush(c);
  return TRUE;
}

CDC::~CDC() {
  if (m_owned) DeleteDC();
}

BOOL CDC::CreateCompatibleDC(CDC* dc) {
  if (m_hDC) return FALSE;
  m_hDC = gui::CreateCompatibleDC(dc ? dc->m_hDC : nullptr);
  m_owned = true;
  return TRUE;
}

BOOL CDC::DeleteDC() {
  if (!m_hDC || !m_owned) return FALSE;
  gui::DeleteDC(std::exchange(m_hDC, nullptr));
  m_owned = false;
  return TRUE;
}

BOOL CDC::BitBlt(int x, int y, int w, int h, CDC* src, int sx, int sy, DWORD rop) {
  return gui::BitBlt(m_hDC, x, y, w, h, src ? src->m_hDC : nullptr, sx, sy, rop);
}

BOOL CDC::StretchBlt(int x, int y, int w, int h, CDC* src, int sx, int sy, int sw, int sh, DWORD rop) {
  return gui::StretchBlt(m_hDC, x, y, w, h, src ? src->m_hDC : nullptr, sx, sy, sw, sh, rop);
}

BOOL CDC::TransparentBlt(int x, int y, int w, int h, CDC* src, int sx, int sy, int sw, int sh, UINT key) {
  return gui::TransparentBlt(m_hDC, x, y, w, h, src ? src->m_hDC : nullptr, sx, sy, sw, sh, key);
}

void CDC::FillSolidRect(const RECT* rect, COLORREF c) {
  Brush b(c);
  gui::FillRect(m_hDC, rect, &b);
}

CPaintDC::CPaintDC(CWnd* wnd) : m_hWnd(wnd ? wnd->m_hWnd : nullptr) {
  m_hDC = BeginPaint(m_hWnd, &m_ps);
}

CPaintDC::~CPaintDC() {
  EndPaint(m_hWnd, &m_ps);
  m_hDC = nullptr;
}

CClientDC::CClientDC(CWnd* wnd) : m_hWnd(wnd ? wnd->m_hWnd : nullptr) { m_hDC = GetDC(m_hWnd); }

CClientDC::~CClientDC() {
  ReleaseDC(m_hWnd, m_hDC);
  m_hDC = nullptr;
}

CString& CString::MakeLower() {
  for (char& c : *this) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return *this;
}

CString& CString::MakeUpper() {
  for (char& c : *this) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return *this;
}

void CString::Format(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  va_list copy;
  va_copy(copy, args);
  const int n = std::vsnprintf(nullptr, 0, fmt, copy);
  va_end(copy);
  std::vector<char> buf(static_cast<std::size_t>(n > 0 ? n : 0) + 1);
  std::vsnprintf(buf.data(), buf.size(), fmt, args);
  va_end(args);
  assign(buf.data(), static_cast<std::size_t>(n > 0 ? n : 0));
}

}  // namespace vexaro::gui
