// The tooltip popup and its class.
#include "platform/gui/afx/afx_tooltip.h"

#include "platform/gui/gdi.h"

namespace vexaro::gui {
namespace {

constexpr COLORREF kTipBack = RGB(255, 255, 225);
constexpr int kPadding = 3;

LRESULT TooltipProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  if (msg != WM_PAINT) return DefWindowProc(hwnd, msg, w, l);
  PAINTSTRUCT ps;
  HDC hdc = BeginPaint(hwnd, &ps);
  if (hdc) {
    RECT r;
    GetClientRect(hwnd, &r);
    Brush back(kTipBack), frame(RGB(118, 118, 118));
    FillRect(hdc, &r, &back);
    FrameRect(hdc, &r, &frame);
    SetBkMode(hdc, TRANSPARENT);
    SetTextColor(hdc, RGB(0, 0, 0));
    InflateRect(&r, -kPadding, 0);
    DrawText(hdc, GetWindowText(hwnd), &r, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
  EndPaint(hwnd, &ps);
  return 0;
}

const char* TooltipClass() {
  static const bool registered = [] {
    WNDCLASS wc;
    wc.lpfnWndProc = TooltipProc;
    wc.lpszClassName = "tooltips_class32";
    RegisterClass(wc);
    return true;
  }();
  (void)registered;
  return "tooltips_class32";
}

}  // namespace

BOOL CToolTipCtrl::Create(CWnd* parent, DWORD style) {
  return CreateEx(WS_EX_TOOLWINDOW, TooltipClass(), "", WS_POPUP | style, 0, 0, 0, 0,
                  parent ? parent->m_hWnd : nullptr, 0);
}

void CToolTipCtrl::Activate(BOOL active) {
  m_active = active;
  if (!active) Pop();
}

BOOL CToolTipCtrl::AddTool(CWnd* tool, std::string_view text) {
  if (!tool || !tool->m_hWnd) return FALSE;
  m_tools[tool->m_hWnd] = std::string(text);
  return TRUE;
}

void CToolTipCtrl::UpdateTipText(std::string_view text, CWnd* tool) {
  if (tool && m_tools.count(tool->m_hWnd)) m_tools[tool->m_hWnd] = std::string(text);
}

std::string CToolTipCtrl::GetToolText(CWnd* tool) const {
  auto it = tool ? m_tools.find(tool->m_hWnd) : m_tools.end();
  return it == m_tools.end() ? std::string() : it->second;
}

void CToolTipCtrl::Pop() {
  if (m_shownFor && m_hWnd) ShowWindow(SW_HIDE);
  m_shownFor = nullptr;
}

void CToolTipCtrl::RelayEvent(MSG* msg) {
  if (!msg || !m_hWnd) return;
  if (!m_active) return;
  auto tool = m_tools.find(msg->hwnd);
  switch (msg->message) {
    case WM_MOUSEMOVE: {
      if (tool == m_tools.end() || tool->second.empty()) {
        Pop();
        return;
      }
      if (m_shownFor == msg->hwnd) return;
      HDC hdc = GetDC(m_hWnd);
      SIZE ext{};
      GetTextExtentPoint32(hdc, tool->second, &ext);
      ReleaseDC(m_hWnd, hdc);
      POINT at;
      GetCursorPos(&at);
      SetWindowText(tool->second);
      MoveWindow(at.x, at.y + 20, ext.cx + 2 * kPadding + 2, ext.cy + 4, TRUE);
      ShowWindow(SW_SHOWNA);
      m_shownFor = msg->hwnd;
      return;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MOUSELEAVE:
    case WM_KEYDOWN: Pop(); return;
    default: return;
  }
}

}  // namespace vexaro::gui
