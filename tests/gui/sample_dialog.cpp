#include "tests/gui/sample_dialog.h"

#include "platform/sys/sys.h"

namespace vexaro::gui::test {
namespace {

DialogTemplate SampleTemplate() {
  DialogTemplate t;
  t.style = WS_POPUP | WS_SYSMENU;
  t.x = 20;
  t.y = 20;
  t.cx = 214;
  t.cy = 124;
  t.items.push_back(GroupBox("Info", 1019, 8, 36, 198, 40));
  t.items.push_back(LText("Firmware Update Version:", 1014, 14, 48, 100, 8));
  t.items.push_back(EditText(1000, 116, 46, 80, 12));
  t.items.push_back(LText("Status: idle", 1007, 14, 62, 100, 8));
  t.items.push_back(Progress(1011, 8, 84, 198, 10));
  t.items.push_back(DefPushButton("OK", IDOK, 150, 102, 50, 14));
  return t;
}

}  // namespace

void RoundButton::DrawItem(DRAWITEMSTRUCT* dis) {
  ++draws;
  CDC dc(dis->hDC);
  const COLORREF face = (dis->itemState & ODS_SELECTED) ? kButtonPressedColor : kButtonColor;
  dc.FillSolidRect(&dis->rcItem, face);
  dc.SetBkMode(TRANSPARENT);
  dc.SetTextColor(RGB(255, 255, 255));
  CFont font;
  font.CreateFont(14, 0, 0, 0, FW_MEDIUM, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, FF_SWISS, "");
  HGDIOBJ old = dc.SelectObject(&font);
  RECT r = dis->rcItem;
  dc.DrawText("Go", &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  dc.SelectObject(old);
}

SampleDialog::SampleDialog() : CDialog(SampleTemplate()) {}

void SampleDialog::DoDataExchange(CDataExchange* dx) { DDX_Control(dx, 1011, m_Progress); }

BOOL SampleDialog::OnInitDialog() {
  CDialog::OnInitDialog();
  SetWindowText("Sample");
  GetDlgItem(1000)->SetWindowText("V1.05");
  // The shaped button: a diamond-like region of row runs.
  m_btnRound.Create("", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(20, 8, 60, 48), this, 0);
  HRGN shape = CreateRectRgn(0, 0, 0, 0);
  for (int y = 0; y < 40; ++y) {
    const int half = y < 20 ? y + 1 : 40 - y;
    HRGN run = CreateRectRgn(20 - half, y, 20 + half, y + 1);
    CombineRgn(shape, shape, run, RGN_OR);
    DeleteObject(run);
  }
  m_btnRound.SetWindowRgn(shape, TRUE);
  SetTimer(1, 20);
  worker_ = std::thread([this] {
    for (int pos = 0; pos <= 100; pos += 10) {
      m_Progress.SetPos(pos);
      GetDlgItem(1007)->SetWindowText("Status: " + std::to_string(pos) + "%");
      sys::SleepMs(5);
    }
    done_ = true;
  });
  return TRUE;
}

void SampleDialog::OnPaint() {
  CPaintDC dc(this);
  RECT r;
  GetClientRect(&r);
  dc.FillSolidRect(&r, kSkinColor);
  dc.SetTextColor(RGB(255, 255, 255));
  dc.SetBkMode(TRANSPARENT);
  CFont font;
  font.CreateFont(15, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, FF_SWISS, "");
  HGDIOBJ old = dc.SelectObject(&font);
  RECT title{80, 12, 310, 30};
  dc.DrawText("Keyboard Firmware Update", &title, DT_LEFT | DT_END_ELLIPSIS | DT_SINGLELINE);
  dc.SelectObject(old);
}

void SampleDialog::OnTimer(UINT_PTR id) {
  if (id != 1) return;
  ++ticks;
  if (!done_) return;
  KillTimer(1);
  worker_.join();
  UpdateWindow();
  if (on_finished) on_finished(*this);
  EndDialog(IDOK);
}

BOOL SampleDialog::OnCommand(WPARAM w, LPARAM l) {
  if (reinterpret_cast<HWND>(l) == m_btnRound.m_hWnd) {
    ++clicks;
    return TRUE;
  }
  return CDialog::OnCommand(w, l);
}

void SampleDialog::OnLButtonDown(UINT flags, CPoint p) {
  PostMessage(WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(p.x, p.y));
  CDialog::OnLButtonDown(flags, p);
}

}  // namespace vexaro::gui::test
