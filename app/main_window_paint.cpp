// Painting the skin: the background, three texts and, while a connection or
// an update runs, the progress bar.
#include "app/main_window.h"

namespace vexaro::app {

using namespace gui;

namespace {

constexpr COLORREF kTextColour = 0xFFFFFF;
constexpr int kTextHeight = 15;
constexpr const char* kUpdateModeText = "in update mode";
constexpr int kUpdateModeGap = 10, kUpdateModeRight = 456;
constexpr BYTE kTextPitchAndFamily = 0x20;  // a Swiss face of the system's choice
constexpr UINT kTextFormat = DT_LEFT | DT_END_ELLIPSIS;

}  // namespace

void CVexaroDlg::OnPaint() {
  if (IsIconic()) {
    CPaintDC dc(this);
    RECT client;
    GetClientRect(&client);
    const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
  } else {
    CPaintDC dc(this);
    PaintSkin(dc);
  }
  CDialog::OnPaint();
}

void CVexaroDlg::PaintSkin(CDC& dc) {
  CDC memory;
  memory.CreateCompatibleDC(&dc);
  HGDIOBJ oldBitmap = memory.SelectObject(&m_bmpBackground);
  BITMAP bm{};
  m_bmpBackground.GetBitmap(&bm);
  dc.BitBlt(0, 0, bm.bmWidth, bm.bmHeight, &memory, 0, 0, SRCCOPY);

  dc.SetTextColor(kTextColour);
  dc.SetBkMode(TRANSPARENT);
  CFont font;
  font.CreateFont(kTextHeight, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0,
                  kTextPitchAndFamily, "");
  HGDIOBJ oldFont = dc.SelectObject(&font);
  // A text longer than its box ends with "..." after its last whole
  // character instead of being cut through a letter at the box's edge.
  RECT r = m_rcUpdateVersion;
  dc.DrawText(m_strUpdateVersion, &r, kTextFormat);
  r = m_rcProductName;
  dc.DrawText(m_strProductName, &r, kTextFormat);
  r = m_rcCurrentVersion;
  dc.DrawText(m_controller->Channel().Version(), &r, kTextFormat);
  // A keyboard in its loader has no version to show; beside the empty box
  // it says so, so that it does not look like no keyboard at all.
  if (m_controller->Presence() == updater::KeyboardPresence::Loader &&
      m_controller->State() == updater::UpdateState::Idle) {
    r = RECT{m_rcCurrentVersion.right + kUpdateModeGap, m_rcCurrentVersion.top, kUpdateModeRight,
             m_rcCurrentVersion.bottom};
    dc.DrawText(kUpdateModeText, &r, DT_LEFT);
  }
  dc.SelectObject(oldFont);

  if (!m_btnClose.IsWindowEnabled()) PaintProgress(dc, memory);
  memory.SelectObject(oldBitmap);
}

// The fill's width follows the position in single precision, truncated: 0
// shows none of it, 100 all of it.
void CVexaroDlg::PaintProgress(CDC& dc, CDC& memory) {
  const int width = m_rcProgress.right - m_rcProgress.left;
  const int height = m_rcProgress.bottom - m_rcProgress.top;
  memory.SelectObject(&m_bmpProgressBack);
  dc.BitBlt(m_rcProgress.left, m_rcProgress.top, width, height, &memory, 0, 0, SRCCOPY);
  const float share = static_cast<float>(m_nProgressPos.load()) / 100.0f;
  const int filled = static_cast<int>(static_cast<float>(width) * share);
  memory.SelectObject(&m_bmpProgressFill);
  dc.BitBlt(m_rcProgress.left, m_rcProgress.top, filled, height, &memory, 0, 0, SRCCOPY);
}

BOOL CVexaroDlg::OnEraseBkgnd(CDC*) { return TRUE; }  // the skin covers everything

HCURSOR CVexaroDlg::OnQueryDragIcon() { return m_hIcon; }

}  // namespace vexaro::app
