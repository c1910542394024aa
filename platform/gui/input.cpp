// Mouse and keyboard input: hit testing through regions and disabled windows,
// capture, hover leave tracking, focus and activation, caption dragging.
#include <utility>
#include <algorithm>

#include "platform/gui/input.h"
#include "platform/gui/internal/window_internal.h"

namespace vexaro::gui {
namespace {

// Static texts and group boxes let the mouse through to what lies beneath.
bool TransparentToMouse(const WindowRecord& w) {
  const std::string& cls = w.cls->wc.lpszClassName;
  if (cls == "STATIC") return !(w.style & SS_NOTIFY);
  return cls == "BUTTON" && (w.style & BS_TYPEMASK) == BS_GROUPBOX;
}

bool ContainsLocked(const WindowRecord& w, POINT screen) {
  const RECT r = ScreenRectLocked(w);
  if (!PtInRect(&r, screen)) return false;
  return !w.region || w.region->Contains(screen.x - r.left, screen.y - r.top);
}

HWND DeepestAt(WindowRecord& w, POINT screen) {
  for (auto it = w.children.rbegin(); it != w.children.rend(); ++it) {
    WindowRecord* c = Find(*it);
    if (!c || !(c->style & WS_VISIBLE) || (c->style & WS_DISABLED) || TransparentToMouse(*c)) continue;
    if (ContainsLocked(*c, screen)) return DeepestAt(*c, screen);
  }
  return w.handle;
}

bool EnabledChainLocked(const WindowRecord* w) {
  for (; w; w = w->IsChild() ? Find(w->parent) : nullptr)
    if (w->style & WS_DISABLED) return false;
  return true;
}

UINT KeyFlags(const State& s) {
  return (s.leftDown ? MK_LBUTTON : 0u) | (s.rightDown ? MK_RBUTTON : 0u);
}

struct Delivery {
  HWND target = nullptr;
  POINT screen;
  UINT flags = 0;
  HWND left = nullptr;  // window that gets WM_MOUSELEAVE
};

// Where a mouse event at the cursor goes (lock held).
Delivery RouteLocked(State& s) {
  Delivery d;
  HWND target = s.capture ? s.capture : HitTestLocked(s.cursor);
  if (s.hover != target) {
    if (WindowRecord* old = Find(s.hover); old && old->trackLeave) {
      old->trackLeave = false;
      d.left = s.hover;
    }
    s.hover = target;
  }
  WindowRecord* rec = Find(target);
  if (!rec || (!s.capture && !EnabledChainLocked(rec))) return d;
  d.target = target;
  d.screen = s.cursor;
  d.flags = KeyFlags(s);
  return d;
}

void Deliver(const Delivery& d, UINT msg) {
  if (d.left) PostMessage(d.left, WM_MOUSELEAVE, 0, 0);
  if (d.target) PostMouseInput(d.target, msg, d.flags, d.screen);
}

}  // namespace

HWND HitTestLocked(POINT screen) {
  State& s = GetState();
  for (auto it = s.topLevels.rbegin(); it != s.topLevels.rend(); ++it) {
    WindowRecord* w = Find(*it);
    if (w && (w->style & WS_VISIBLE) && ContainsLocked(*w, screen)) return DeepestAt(*w, screen);
  }
  return nullptr;
}

void RouteMouseOnRead(const std::shared_ptr<ThreadQueue>& q, MSG& m) {
  State& s = GetState();
  std::lock_guard lock(s.m);
  HWND target = nullptr;
  if (WindowRecord* cap = Find(s.capture)) {
    if (cap->queue == q) target = s.capture;
  } else {
    HWND hit = HitTestLocked(m.pt);
    WindowRecord* rec = Find(hit);
    if (rec && rec->queue == q && EnabledChainLocked(rec)) target = hit;
  }
  if (!target) target = m.hwnd;  // held by another thread now: as routed at input
  WindowRecord* rec = Find(target);
  if (!rec) return;
  const RECT r = ScreenRectLocked(*rec);
  m.hwnd = target;
  m.lParam = MAKELPARAM(m.pt.x - r.left, m.pt.y - r.top);
}

HWND WindowFromPoint(POINT screen) {
  std::lock_guard lock(GetState().m);
  HWND hit = HitTestLocked(screen);
  return hit ? hit : GetDesktopWindow();
}

HWND GetDesktopWindow() {
  // Below the first handle the framework gives out, so no window ever has it.
  constexpr std::uintptr_t kDesktopHandle = 0x10;
  return reinterpret_cast<HWND>(kDesktopHandle);
}

HWND ChildWindowFromPoint(HWND parent, POINT client) {
  std::lock_guard lock(GetState().m);
  WindowRecord* p = Find(parent);
  if (!p) return nullptr;
  for (auto it = p->children.rbegin(); it != p->children.rend(); ++it)
    if (WindowRecord* c = Find(*it); c && PtInRect(&c->rect, client)) {
      const POINT local{client.x - c->rect.left, client.y - c->rect.top};
      if (!c->region || c->region->Contains(local.x, local.y)) return *it;
    }
  const RECT pr{0, 0, p->rect.right - p->rect.left, p->rect.bottom - p->rect.top};
  return PtInRect(&pr, client) ? parent : nullptr;
}

HWND SetFocus(HWND hwnd) {
  State& s = GetState();
  HWND old = nullptr;
  {
    std::lock_guard lock(s.m);
    // A disabled window (or one inside a disabled parent) cannot take the
    // focus; the focus stays where it was, as under the system.
    if (hwnd && (!Find(hwnd) || !EnabledChainLocked(Find(hwnd)))) return nullptr;
    old = s.focus;
    if (old == hwnd) return old;
    s.focus = hwnd;
  }
  if (old) SendMessage(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
  if (hwnd) {
    HWND top = GetAncestorTop(hwnd);
    if (top != GetActiveWindow()) SetActiveWindow(top);
    SendMessage(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
  }
  return old;
}

HWND GetFocus() {
  std::lock_guard lock(GetState().m);
  return GetState().focus;
}

HWND SetActiveWindow(HWND hwnd) {
  State& s = GetState();
  HWND old = nullptr;
  {
    std::lock_guard lock(s.m);
    WindowRecord* rec = Find(hwnd);
    while (rec && rec->IsChild()) rec = Find(rec->parent);
    if (!rec) return nullptr;
    hwnd = rec->handle;
    old = s.active;
    std::erase(s.topLevels, hwnd);
    s.topLevels.push_back(hwnd);
    if (old == hwnd) return old;
    s.active = hwnd;
  }
  if (old) SendMessage(old, WM_ACTIVATE, 0, reinterpret_cast<LPARAM>(hwnd));
  SendMessage(hwnd, WM_ACTIVATE, 1, reinterpret_cast<LPARAM>(old));
  return old;
}

HWND GetActiveWindow() {
  std::lock_guard lock(GetState().m);
  return GetState().active;
}

HWND GetForegroundWindow() { return GetActiveWindow(); }

HWND SetCapture(HWND hwnd) {
  State& s = GetState();
  HWND old = nullptr;
  {
    std::lock_guard lock(s.m);
    if (!Find(hwnd)) return nullptr;
    old = std::exchange(s.capture, hwnd);
  }
  if (old && old != hwnd) SendMessage(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
  return old;
}

BOOL ReleaseCapture() {
  HWND old = nullptr;
  {
    std::lock_guard lock(GetState().m);
    old = std::exchange(GetState().capture, nullptr);
  }
  if (old) SendMessage(old, WM_CAPTURECHANGED, 0, 0);
  return TRUE;
}

HWND GetCapture() {
  std::lock_guard lock(GetState().m);
  return GetState().capture;
}

BOOL GetCursorPos(POINT* p) {
  if (!p) return FALSE;
  std::lock_guard lock(GetState().m);
  *p = GetState().cursor;
  return TRUE;
}

BOOL TrackMouseEvent(TRACKMOUSEEVENT* tme) {
  if (!tme) return FALSE;
  bool outside = false;
  {
    State& s = GetState();
    std::lock_guard lock(s.m);
    WindowRecord* rec = Find(tme->hwndTrack);
    if (!rec) return FALSE;
    if (tme->dwFlags & TME_CANCEL) {
      rec->trackLeave = false;
      return TRUE;
    }
    if (!(tme->dwFlags & TME_LEAVE)) return TRUE;
    outside = s.hover != tme->hwndTrack;
    rec->trackLeave = !outside;
  }
  if (outside) PostMessage(tme->hwndTrack, WM_MOUSELEAVE, 0, 0);
  return TRUE;
}

// Caption dragging: the window follows the mouse until the left button is up.
// The drag starts where the button went down: the mouse may have moved on
// before the window's thread got to the press, and the window catches up.
void BeginCaptionDrag(HWND hwnd) {
  State& s = GetState();
  HWND drag = nullptr;
  RECT from{}, to{};
  {
    std::lock_guard lock(s.m);
    WindowRecord* rec = Find(hwnd);
    while (rec && rec->IsChild()) rec = Find(rec->parent);
    if (!rec || !s.leftDown) return;
    s.dragging = drag = rec->handle;
    s.dragStart = s.leftPressAt;
    s.dragRect = from = to = rec->rect;
    OffsetRect(&to, s.cursor.x - s.dragStart.x, s.cursor.y - s.dragStart.y);
  }
  if (to.left != from.left || to.top != from.top)
    MoveWindow(drag, to.left, to.top, to.right - to.left, to.bottom - to.top, FALSE);
}

namespace input {

void MouseMove(int x, int y) {
  State& s = GetState();
  Delivery d;
  HWND drag = nullptr;
  RECT to{};
  {
    std::lock_guard lock(s.m);
    s.cursor = {x, y};
    if (s.dragging) {
      drag = s.dragging;
      to = s.dragRect;
      OffsetRect(&to, x - s.dragStart.x, y - s.dragStart.y);
    } else {
      d = RouteLocked(s);
    }
  }
  if (drag) {
    MoveWindow(drag, to.left, to.top, to.right - to.left, to.bottom - to.top, FALSE);
    return;
  }
  Deliver(d, WM_MOUSEMOVE);
}

void MouseButton(int button, bool down, int x, int y) {
  State& s = GetState();
  Delivery d;
  HWND activate = nullptr;
  {
    std::lock_guard lock(s.m);
    s.cursor = {x, y};
    if (button == kLeft && down) s.leftPressAt = s.cursor;
    if (button == kLeft) s.leftDown = down;
    else s.rightDown = down;
    if (button == kLeft && !down && s.dragging) {
      s.dragging = nullptr;  // the drag swallows the release
      return;
    }
    d = RouteLocked(s);
    if (down && d.target) {
      WindowRecord* top = Find(d.target);
      while (top && top->IsChild()) top = Find(top->parent);
      if (top && top->handle != s.active) activate = top->handle;
    }
  }
  if (activate) SetActiveWindow(activate);
  const UINT msg = button == kLeft ? (down ? WM_LBUTTONDOWN : WM_LBUTTONUP)
                                   : (down ? WM_RBUTTONDOWN : WM_RBUTTONUP);
  Deliver(d, msg);
}

void Key(UINT vk, bool down, char ch) {
  HWND target = nullptr;
  {
    State& s = GetState();
    std::lock_guard lock(s.m);
    // Keys go to the focus window; with no focus (or none that can take
    // input) to the active window, so a dialog whose focused control was
    // disabled still sees Enter and Escape.
    WindowRecord* rec = Find(s.focus);
    if (!rec || !EnabledChainLocked(rec)) rec = Find(s.active);
    if (!rec || !EnabledChainLocked(rec)) return;
    target = rec->handle;
  }
  LPARAM l = 1 | (static_cast<LPARAM>(static_cast<unsigned char>(ch)) << 16);
  if (!down) l |= static_cast<LPARAM>(0xC0000000u);
  PostMessage(target, down ? WM_KEYDOWN : WM_KEYUP, vk, l);
}

void CloseRequest(HWND hwnd) { PostMessage(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0); }

bool CaptionDragActive() {
  std::lock_guard lock(GetState().m);
  return GetState().dragging != nullptr;
}

}  // namespace input
}  // namespace vexaro::gui
