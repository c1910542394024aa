#include "ui/result_dialog.h"

#include "platform/gui/window.h"
#include "ui/dialog_templates.h"
#include "ui/resource_ids.h"
#include "ui/window_shape.h"

namespace vexaro::ui {

using namespace gui;

namespace {

constexpr RECT kCloseButtonRect{190, 0, 211, 21};
constexpr int kCloseStateWidth = 25;
constexpr int kCloseStateHeight = 21;
// The picture's closing line of advice, which a note replaces.
constexpr RECT kNoteRect{4, 111, 207, 140};
constexpr COLORREF kNoteColour = RGB(0xD8, 0xDC, 0xE4);
constexpr int kNoteHeight = -10;

}  // namespace

int ResultPictureId(int result_code) {
  switch (result_code) {
    case kResultSuccess: return kIdbResultSuccess;
    case kResultFailed: return kIdbResultFailed;
    default: return kIdbResultLayoutError;
  }
}

const char* ResultText(int result_code) {
  switch (result_code) {
    case kResultSuccess: return "Firmware Update Success!";
    case kResultFailed: return "Firmware Update Failed!";
    default: return "Firmware Update Layout Error!";
  }
}

CWarning::CWarning(CWnd* parent) : CDialog(static_cast<UINT>(kIddResult), parent) {
  RegisterDialogTemplates();
}

BOOL CWarning::OnInitDialog() {
  CDialog::OnInitDialog();
  m_bmpBackground.LoadBitmap(static_cast<UINT>(ResultPictureId(m_nResultCode)));

  CBitmap strip;
  strip.LoadBitmap(kIdbCloseButton);
  m_btnClose.Create("", kSkinButtonStyle, kCloseButtonRect, this, 0);
  m_btnClose.SetStateStrip(strip, kCloseStateWidth, kCloseStateHeight);
  CBitmap mask;
  mask.LoadBitmap(kIdbCloseButtonMask);
  ApplyWindowShape(m_btnClose, mask);
  mask.DeleteObject();

  BITMAP bm;
  if (m_bmpBackground.GetBitmap(&bm)) MoveWindow(0, 0, bm.bmWidth, bm.bmHeight, TRUE);
  if (CWnd* text = GetDlgItem(kIdcResultText)) text->ShowWindow(SW_HIDE);
  if (CWnd* ok = GetDlgItem(IDOK)) ok->ShowWindow(SW_HIDE);
  strip.DeleteObject();

  CenterWindow();
  if (CWnd* text = GetDlgItem(kIdcResultText)) text->SetWindowText(ResultText(m_nResultCode));
  return TRUE;
}

void CWarning::OnPaint() {
  CPaintDC dc(this);
  BITMAP bm;
  if (!m_bmpBackground.GetSafeHandle() || !m_bmpBackground.GetBitmap(&bm)) return;
  CDC memory;
  memory.CreateCompatibleDC(&dc);
  HGDIOBJ old = memory.SelectObject(&m_bmpBackground);
  dc.BitBlt(0, 0, bm.bmWidth, bm.bmHeight, &memory, 0, 0, SRCCOPY);
  memory.SelectObject(old);
  if (!m_strNote.empty()) PaintNote(dc);
}

// The line is covered with the picture's own background colour (taken
// beside it) and the note written in two lines at most.
void CWarning::PaintNote(CDC& dc) {
  RECT r = kNoteRect;
  dc.FillSolidRect(&r, dc.GetPixel(r.left - 2, r.top));
  dc.SetTextColor(kNoteColour);
  dc.SetBkMode(TRANSPARENT);
  CFont font;
  font.CreateFont(kNoteHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, "");
  HGDIOBJ oldFont = dc.SelectObject(&font);
  dc.DrawText(m_strNote, &r, DT_CENTER | DT_WORDBREAK);
  dc.SelectObject(oldFont);
}

BOOL CWarning::OnEraseBkgnd(CDC*) { return TRUE; }

void CWarning::OnLButtonDown(UINT flags, CPoint point) {
  // No caption: pressing anywhere on the picture drags the dialog.
  PostMessage(WM_NCLBUTTONDOWN, static_cast<WPARAM>(HTCAPTION), MAKELPARAM(point.x, point.y));
  CDialog::OnLButtonDown(flags, point);
}

void CWarning::OnDestroy() {
  CDialog::OnDestroy();
  m_bmpBackground.DeleteObject();
}

BOOL CWarning::OnCommand(WPARAM w, LPARAM l) {
  if (m_btnClose.m_hWnd && reinterpret_cast<HWND>(l) == m_btnClose.m_hWnd) PostMessage(WM_CLOSE);
  return CDialog::OnCommand(w, l);
}

}  // namespace vexaro::ui
