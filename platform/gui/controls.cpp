// The built-in controls: push, owner-drawn and group-box buttons, static
// texts, a single-line edit field and a progress bar.
#include <utility>
#include <algorithm>

#include "platform/gui/internal/window_internal.h"

namespace vexaro::gui {
namespace {

constexpr COLORREF kBorder = RGB(173, 173, 173);
constexpr COLORREF kDefaultBorder = RGB(0, 120, 215);
constexpr COLORREF kPressedFace = RGB(204, 228, 247);
constexpr COLORREF kProgressBack = RGB(230, 230, 230);
constexpr COLORREF kProgressFill = RGB(6, 176, 37);

struct Snapshot {
  DWORD style = 0;
  std::string text;
  ControlState ctl;
  bool focused = false;
  bool enabled = true;
  int id = 0;
  HWND parent = nullptr;
};

Snapshot Take(HWND hwnd) {
  State& s = GetState();
  std::lock_guard lock(s.m);
  Snapshot snap;
  WindowRecord* rec = Find(hwnd);
  if (!rec) return snap;
  snap.style = rec->style;
  snap.text = rec->text;
  snap.ctl = rec->ctl;
  snap.focused = s.focus == hwnd;
  snap.enabled = !(rec->style & WS_DISABLED);
  snap.id = rec->id;
  snap.parent = rec->parent;
  return snap;
}

template <typename Fn>
void Update(HWND hwnd, Fn fn) {
  std::lock_guard lock(GetState().m);
  if (WindowRecord* rec = Find(hwnd)) fn(*rec);
}

void Fill(HDC hdc, const RECT& r, COLORREF c) {
  Brush b(c);
  FillRect(hdc, &r, &b);
}

void Frame(HDC hdc, const RECT& r, COLORREF c) {
  Brush b(c);
  FrameRect(hdc, &r, &b);
}

bool InsideClient(HWND hwnd, LPARAM l) {
  RECT r;
  GetClientRect(hwnd, &r);
  const POINT p{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
  if (!PtInRect(&r, p)) return false;
  Region rgn;
  return GetWindowRgn(hwnd, &rgn) == ERROR || rgn.Contains(p.x, p.y);
}

void NotifyParent(HWND hwnd, int code) {
  const Snapshot s = Take(hwnd);
  if (s.parent) SendMessage(s.parent, WM_COMMAND, MAKEWPARAM(s.id, code), reinterpret_cast<LPARAM>(hwnd));
}

// Text drawn over the control's face, greyed while the control is disabled.
void TextLook(HDC hdc, const Snapshot& s, int enabledColour) {
  SetBkMode(hdc, TRANSPARENT);
  SetTextColor(hdc, GetSysColor(s.enabled ? enabledColour : COLOR_GRAYTEXT));
}

void PaintButton(HWND hwnd, HDC hdc, const Snapshot& s, RECT r) {
  const DWORD type = s.style & BS_TYPEMASK;
  if (type == BS_OWNERDRAW) {
    DRAWITEMSTRUCT dis;
    dis.CtlType = ODT_BUTTON;
    dis.CtlID = static_cast<UINT>(s.id);
    dis.itemAction = ODA_DRAWENTIRE;
    dis.itemState = (s.ctl.pressed ? ODS_SELECTED : 0u) | (s.enabled ? 0u : ODS_DISABLED) |
                    (s.focused ? ODS_FOCUS : 0u);
    dis.hwndItem = hwnd;
    dis.hDC = hdc;
    dis.rcItem = r;
    SendMessage(s.parent, WM_DRAWITEM, static_cast<WPARAM>(s.id), reinterpret_cast<LPARAM>(&dis));
    return;
  }
  TextLook(hdc, s, COLOR_BTNTEXT);
  if (type == BS_GROUPBOX) {
    SIZE ext;
    GetTextExtentPoint32(hdc, s.text, &ext);
    const int mid = std::max<int>(ext.cy / 2, 0);
    Frame(hdc, RECT{r.left, r.top + mid, r.right, r.bottom}, RGB(220, 220, 220));
    if (!s.text.empty()) {
      RECT label{r.left + 6, r.top, r.left + 10 + ext.cx, r.top + ext.cy};
      Fill(hdc, label, GetSysColor(COLOR_BTNFACE));
      OffsetRect(&label, 2, 0);
      DrawText(hdc, s.text, &label, DT_LEFT | DT_SINGLELINE | DT_NOCLIP);
    }
    return;
  }
  Fill(hdc, r, s.ctl.pressed ? kPressedFace : RGB(225, 225, 225));
  Frame(hdc, r, type == BS_DEFPUSHBUTTON || s.focused ? kDefaultBorder : kBorder);
  DrawText(hdc, s.text, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void PaintStatic(HWND, HDC hdc, const Snapshot& s, RECT r) {
  Fill(hdc, r, GetSysColor(COLOR_BTNFACE));
  TextLook(hdc, s, COLOR_WINDOWTEXT);
  const UINT align = (s.style & 3) == SS_CENTER ? DT_CENTER : (s.style & 3) == SS_RIGHT ? DT_RIGHT : DT_LEFT;
  DrawText(hdc, s.text, &r, align | DT_WORDBREAK);
}

void PaintEdit(HWND, HDC hdc, const Snapshot& s, RECT r) {
  Fill(hdc, r, (s.style & ES_READONLY) || !s.enabled ? GetSysColor(COLOR_BTNFACE) : RGB(255, 255, 255));
  Frame(hdc, r, s.focused ? kDefaultBorder : RGB(122, 122, 122));
  TextLook(hdc, s, COLOR_WINDOWTEXT);
  InflateRect(&r, -3, 0);
  DrawText(hdc, s.text, &r, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void PaintProgress(HWND, HDC hdc, const Snapshot& s, RECT r) {
  const ControlState& c = s.ctl;
  Fill(hdc, r, kProgressBack);
  Frame(hdc, r, RGB(188, 188, 188));
  const int span = c.hi - c.lo, inner = std::max<int>(r.right - r.left - 2, 0);
  const int filled = span > 0 ? static_cast<int>(static_cast<long long>(c.pos - c.lo) * inner / span) : 0;
  Fill(hdc, RECT{r.left + 1, r.top + 1, r.left + 1 + filled, r.bottom - 1}, kProgressFill);
}

// WM_PAINT of every control: the painter draws the control's state over its
// whole client area (the controls erase nothing beforehand).
LRESULT PaintControl(HWND hwnd, void (*paint)(HWND, HDC, const Snapshot&, RECT)) {
  PAINTSTRUCT ps;
  HDC hdc = BeginPaint(hwnd, &ps);
  if (hdc) {
    RECT r;
    GetClientRect(hwnd, &r);
    paint(hwnd, hdc, Take(hwnd), r);
  }
  EndPaint(hwnd, &ps);
  return 0;
}

// Text, enabled state and focus change how a control looks: default
// handling, then a repaint.
LRESULT RepaintAfterDefault(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  const LRESULT r = DefWindowProc(hwnd, msg, w, l);
  InvalidateRect(hwnd, nullptr, TRUE);
  return msg == WM_SETTEXT ? r : 0;
}

}  // namespace

LRESULT ButtonProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  const DWORD type = static_cast<DWORD>(GetWindowLongPtr(hwnd, GWL_STYLE)) & BS_TYPEMASK;
  switch (msg) {
    case WM_PAINT: return PaintControl(hwnd, PaintButton);
    case WM_ERASEBKGND: return 1;
    case WM_LBUTTONDOWN:
      if (type == BS_GROUPBOX) return 0;
      SetCapture(hwnd);
      SetFocus(hwnd);
      Update(hwnd, [](WindowRecord& r) { r.ctl.pressed = true; });
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_MOUSEMOVE:
      if (GetCapture() == hwnd && (w & MK_LBUTTON)) {
        const bool inside = InsideClient(hwnd, l);
        if (Take(hwnd).ctl.pressed != inside) {
          Update(hwnd, [inside](WindowRecord& r) { r.ctl.pressed = inside; });
          InvalidateRect(hwnd, nullptr, FALSE);
        }
      }
      return 0;
    case WM_LBUTTONUP: {
      if (GetCapture() != hwnd) return 0;
      const bool click = Take(hwnd).ctl.pressed && InsideClient(hwnd, l);
      Update(hwnd, [](WindowRecord& r) { r.ctl.pressed = false; });
      ReleaseCapture();
      InvalidateRect(hwnd, nullptr, FALSE);
      if (click) {
        if (type == BS_AUTOCHECKBOX) Update(hwnd, [](WindowRecord& r) { r.ctl.check ^= BST_CHECKED; });
        NotifyParent(hwnd, BN_CLICKED);
      }
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (Take(hwnd).ctl.pressed) {
        Update(hwnd, [](WindowRecord& r) { r.ctl.pressed = false; });
        InvalidateRect(hwnd, nullptr, FALSE);
      }
      return 0;
    case BM_GETSTATE: {
      const Snapshot s = Take(hwnd);
      return static_cast<LRESULT>(s.ctl.check | (s.ctl.pressed ? BST_PUSHED : 0u) | (s.focused ? BST_FOCUS : 0u));
    }
    case BM_SETSTATE:
      Update(hwnd, [w](WindowRecord& r) { r.ctl.pressed = w != 0; });
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case BM_GETCHECK: return static_cast<LRESULT>(Take(hwnd).ctl.check);
    case BM_SETCHECK:
      Update(hwnd, [w](WindowRecord& r) { r.ctl.check = static_cast<UINT>(w); });
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case BM_SETSTYLE:
      Update(hwnd, [w](WindowRecord& r) { r.style = (r.style & 0xFFFF0000u) | static_cast<DWORD>(w & 0xFFFF); });
      if (l) InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case BM_CLICK: NotifyParent(hwnd, BN_CLICKED); return 0;
    case WM_SETTEXT:
    case WM_ENABLE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS: return RepaintAfterDefault(hwnd, msg, w, l);
    default: return DefWindowProc(hwnd, msg, w, l);
  }
}

LRESULT StaticProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_PAINT: return PaintControl(hwnd, PaintStatic);
    case WM_ERASEBKGND: return 1;
    case WM_SETTEXT:
    case WM_ENABLE: return RepaintAfterDefault(hwnd, msg, w, l);
    default: return DefWindowProc(hwnd, msg, w, l);
  }
}

LRESULT EditProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_PAINT: return PaintControl(hwnd, PaintEdit);
    case WM_ERASEBKGND: return 1;
    case WM_LBUTTONDOWN: SetFocus(hwnd); return 0;
    case WM_CHAR: {
      const Snapshot s = Take(hwnd);
      if (s.style & ES_READONLY) return 0;
      std::string text = s.text;
      const auto ch = static_cast<unsigned char>(w);
      if (ch == VK_BACK) {
        if (text.empty()) return 0;
        text.pop_back();
      } else if (ch >= 0x20) {
        text += static_cast<char>(ch);
      } else {
        return 0;
      }
      SetWindowText(hwnd, text);
      NotifyParent(hwnd, 0x0300);  // EN_CHANGE
      return 0;
    }
    case WM_SETTEXT:
    case WM_ENABLE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS: return RepaintAfterDefault(hwnd, msg, w, l);
    default: return DefWindowProc(hwnd, msg, w, l);
  }
}

LRESULT ProgressProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  auto set = [hwnd](auto fn) -> LRESULT {
    LRESULT result = 0;
    Update(hwnd, [&](WindowRecord& r) {
      result = fn(r.ctl);
      r.ctl.pos = std::clamp(r.ctl.pos, std::min(r.ctl.lo, r.ctl.hi), std::max(r.ctl.lo, r.ctl.hi));
    });
    InvalidateRect(hwnd, nullptr, FALSE);
    return result;
  };
  switch (msg) {
    case WM_PAINT: return PaintControl(hwnd, PaintProgress);
    case WM_ERASEBKGND: return 1;
    case PBM_SETPOS: return set([w](ControlState& c) { return std::exchange(c.pos, static_cast<int>(w)); });
    case PBM_DELTAPOS:
      return set([w](ControlState& c) { return std::exchange(c.pos, c.pos + static_cast<int>(w)); });
    case PBM_SETSTEP: return set([w](ControlState& c) { return std::exchange(c.step, static_cast<int>(w)); });
    case PBM_STEPIT:
      return set([](ControlState& c) {
        int next = c.pos + c.step;
        if (next > c.hi) next = c.lo + (next - c.hi);  // steps past the end wrap round
        return std::exchange(c.pos, next);
      });
    case PBM_SETRANGE:
      return set([l](ControlState& c) {
        const LRESULT old = MAKELPARAM(c.lo, c.hi);
        c.lo = LOWORD(static_cast<std::uintptr_t>(l));
        c.hi = HIWORD(static_cast<std::uintptr_t>(l));
        return old;
      });
    case PBM_SETRANGE32:
      return set([w, l](ControlState& c) {
        const LRESULT old = MAKELPARAM(c.lo, c.hi);
        c.lo = static_cast<int>(w);
        c.hi = static_cast<int>(l);
        return old;
      });
    case PBM_GETRANGE: {
      const ControlState c = Take(hwnd).ctl;
      return w ? c.lo : c.hi;
    }
    case PBM_GETPOS: return Take(hwnd).ctl.pos;
    default: return DefWindowProc(hwnd, msg, w, l);
  }
}

void RegisterBuiltInClasses() {
  const std::pair<const char*, WNDPROC> classes[] = {{"BUTTON", ButtonProc},
                                                     {"STATIC", StaticProc},
                                                     {"EDIT", EditProc},
                                                     {"msctls_progress32", ProgressProc},
                                                     {"#32770", DefDlgProc}};
  for (const auto& [name, proc] : classes) {
    WNDCLASS wc;
    wc.lpszClassName = name;
    wc.lpfnWndProc = proc;
    RegisterClass(wc);
  }
}

}  // namespace vexaro::gui
