// Input and life of the skinned button: hover tracking with the mouse capture,
// press, release, toggle, auto-repeat, the right-press notification, swallowed
// keys, and the caption font taken at creation.
#include "ui/bitmap_button.h"

#include "platform/gui/window.h"

namespace vexaro::ui {

using namespace gui;

CBitmapBtn::CBitmapBtn() = default;

CBitmapBtn::~CBitmapBtn() {
  for (HBITMAP& image : images_) {
    if (image) DeleteObject(image);
    image = nullptr;
  }
}

void CBitmapBtn::SetCaption(std::string caption) {
  caption_ = std::move(caption);
  if (m_hWnd) Invalidate(FALSE);
}

void CBitmapBtn::SetLatched(bool on) {
  latched_ = on ? 1 : 0;
  if (m_hWnd) Invalidate(FALSE);
}

void CBitmapBtn::SetTextColours(COLORREF normal, COLORREF hover, COLORREF disabled) {
  normalText_ = normal;
  hoverText_ = hover;
  disabledText_ = disabled;
}

void CBitmapBtn::PreSubclassWindow() {
  SetButtonStyle(GetButtonStyle() | BS_OWNERDRAW, TRUE);
  ModifyStyle(WS_TABSTOP, 0);
  // The class style is shared: this holds for every later button of the class.
  SetClassLong(m_hWnd, GCL_STYLE, GetClassLong(m_hWnd, GCL_STYLE) & ~CS_PARENTDC);
  CButton::PreSubclassWindow();
}

int CBitmapBtn::OnCreate(CREATESTRUCT* cs) {
  if (CButton::OnCreate(cs) == -1) return -1;
  ApplyCaptionFontSource(font_);
  return 0;
}

BOOL CBitmapBtn::OnEraseBkgnd(CDC*) { return FALSE; }

void CBitmapBtn::NotifyParent(WPARAM w, bool post) {
  HWND parent = gui::GetParent(m_hWnd);
  if (!parent) return;
  const LPARAM l = reinterpret_cast<LPARAM>(m_hWnd);
  if (post) gui::PostMessage(parent, WM_COMMAND, w, l);
  else gui::SendMessage(parent, WM_COMMAND, w, l);
}

void CBitmapBtn::OnMouseMove(UINT flags, CPoint point) {
  Default();
  if ((flags & MK_LBUTTON) && !hovering_) return;
  POINT screen = point;
  ClientToScreen(&screen);
  if (gui::GetCapture() != m_hWnd && gui::GetActiveWindow() && GetOwner()) {
    hovering_ = 1;
    if (focusOnHover_) SetFocus();
    SetCapture();
    Invalidate(FALSE);
  } else if (HWND under = gui::WindowFromPoint(screen); under && under != m_hWnd) {
    // The mouse has left (the window under it may lie inside our rectangle,
    // outside our shape).
    if (hovering_) {
      hovering_ = 0;
      Invalidate(FALSE);
    }
    if (!(flags & MK_LBUTTON)) ReleaseCapture();
  }
  if (HWND parent = gui::GetParent(m_hWnd))
    gui::PostMessage(parent, WM_MOUSEMOVE, flags, MAKELPARAM(screen.x, screen.y));
}

void CBitmapBtn::OnCaptureChanged(CWnd* wnd) {
  // Without the capture the release may never reach the button: a repeat
  // left running would go on for ever.
  KillTimer(kAutoRepeatTimer);
  if (hovering_) {
    if (wnd && wnd->m_hWnd != m_hWnd) {
      // Another window took the capture: it is not ours to release, and the
      // button no longer follows the mouse.
      hovering_ = 0;
      Invalidate(FALSE);
    } else {
      ReleaseCapture();
    }
  }
  Default();
}

void CBitmapBtn::OnKillFocus(CWnd* wnd) {
  CButton::OnKillFocus(wnd);
  hovering_ = 0;
}

void CBitmapBtn::OnLButtonDown(UINT flags, CPoint point) {
  if (CWnd* owner = GetOwner(); owner && owner->m_hWnd != gui::GetActiveWindow()) owner->SetFocus();
  if (autoRepeat_) SetTimer(kAutoRepeatTimer, static_cast<UINT>(repeatInterval_ + 200));
  CButton::OnLButtonDown(flags, point);
}

void CBitmapBtn::OnLButtonUp(UINT flags, CPoint point) {
  KillTimer(kAutoRepeatTimer);
  if (!toggle_) {
    CButton::OnLButtonUp(flags, point);
    if (m_hWnd) KeepHoverAfterRelease();
    return;
  }
  latched_ ^= 1;
  Invalidate(FALSE);
  UpdateWindow();
  NotifyParent(MAKEWPARAM(GetDlgCtrlID(), BN_CLICKED), false);
}

// The button control lets go of the capture on release. A hovering button
// takes it back while the mouse is still over it, so that it sees the mouse
// leave; otherwise it shows its idle image again.
void CBitmapBtn::KeepHoverAfterRelease() {
  if (!hovering_) return;
  POINT cursor;
  gui::GetCursorPos(&cursor);
  if (gui::WindowFromPoint(cursor) == m_hWnd) {
    if (gui::GetCapture() == nullptr) SetCapture();
    return;
  }
  hovering_ = 0;
  Invalidate(FALSE);
}

void CBitmapBtn::OnRButtonDown(UINT flags, CPoint point) {
  const auto id = static_cast<WPARAM>(static_cast<unsigned>(GetDlgCtrlID()) & 0xFFFF);
  NotifyParent(id | (static_cast<WPARAM>(kRightPressCode) << 16), false);
  CButton::OnRButtonDown(flags, point);
}

void CBitmapBtn::OnTimer(UINT_PTR id) {
  if (id == kAutoRepeatTimer) {
    KillTimer(kAutoRepeatTimer);
    SetTimer(kAutoRepeatTimer, static_cast<UINT>(repeatInterval_));
    NotifyParent(kAutoRepeatCommand, true);
  }
  CButton::OnTimer(id);
}

BOOL CBitmapBtn::PreTranslateMessage(MSG* msg) {
  if (!tooltip_) {
    // Made on first use, inactive, with the button as its tool and no text.
    tooltip_ = std::make_unique<CToolTipCtrl>();
    tooltip_->Create(this);
    tooltip_->Activate(FALSE);
    tooltip_->AddTool(this, "");
  }
  tooltip_->RelayEvent(msg);
  return CButton::PreTranslateMessage(msg);
}

}  // namespace vexaro::ui
