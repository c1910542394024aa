// Window classes, creation and destruction, and the window's own state: text,
// styles, enabled state, visibility, position and region.
#include <utility>
#include <algorithm>
#include <mutex>

#include "platform/gui/display.h"
#include "platform/gui/internal/window_internal.h"

namespace vexaro::gui {
namespace {

thread_local CWnd* t_pendingAttach = nullptr;

void EnsureClasses() {
  static std::once_flag once;
  std::call_once(once, RegisterBuiltInClasses);
}

bool IsTopLevel(HWND hwnd, RECT* screen) {
  std::lock_guard lock(GetState().m);
  WindowRecord* rec = Find(hwnd);
  if (!rec || rec->IsChild()) return false;
  if (screen) *screen = rec->rect;
  return true;
}

void CollectSubtree(HWND h, std::vector<HWND>& out) {
  out.push_back(h);
  WindowRecord* rec = Find(h);
  if (!rec) return;
  for (HWND c : rec->children) CollectSubtree(c, out);
}

// Sends WM_DESTROY down the tree (parent first) and WM_NCDESTROY back up.
void DestroyTree(HWND h) {
  SendMessage(h, WM_DESTROY, 0, 0);
  std::vector<HWND> children;
  {
    std::lock_guard lock(GetState().m);
    if (WindowRecord* rec = Find(h)) children = rec->children;
  }
  for (HWND c : children) DestroyTree(c);
  SendMessage(h, WM_NCDESTROY, 0, 0);
}

// Repaints what a child covered (or covers) in its parent.
void InvalidateParentArea(WindowRecord& child, std::vector<std::shared_ptr<ThreadQueue>>& wake) {
  WindowRecord* parent = Find(child.parent);
  if (!child.IsChild() || !parent) return;
  RECT r = child.rect;
  InvalidateLocked(*parent, &r, true);
  wake.push_back(parent->queue);
}

}  // namespace

void SetPendingAttach(CWnd* wnd) { t_pendingAttach = wnd; }
CWnd* TakePendingAttach() { return std::exchange(t_pendingAttach, nullptr); }

BOOL RegisterClass(const WNDCLASS& wc) {
  if (wc.lpszClassName.empty()) return FALSE;
  State& s = GetState();
  std::lock_guard lock(s.m);
  auto [it, added] = s.classes.try_emplace(wc.lpszClassName, nullptr);
  if (!added) return FALSE;
  it->second = std::make_shared<ClassRecord>(ClassRecord{wc});
  return TRUE;
}

BOOL UnregisterClass(std::string_view name) {
  State& s = GetState();
  std::lock_guard lock(s.m);
  return s.classes.erase(std::string(name)) > 0 ? TRUE : FALSE;
}

DWORD GetClassLong(HWND hwnd, int index) {
  std::lock_guard lock(GetState().m);
  WindowRecord* rec = Find(hwnd);
  return rec && index == GCL_STYLE ? rec->cls->wc.style : 0;
}

DWORD SetClassLong(HWND hwnd, int index, DWORD value) {
  std::lock_guard lock(GetState().m);
  WindowRecord* rec = Find(hwnd);
  if (!rec || index != GCL_STYLE) return 0;
  return std::exchange(rec->cls->wc.style, value);
}

HWND CreateWindowEx(DWORD ex_style, std::string_view class_name, std::string_view title,
                    DWORD style, int x, int y, int width, int height, HWND parent,
                    std::uintptr_t menu_or_id, void* param) {
  EnsureClasses();
  CWnd* attach = TakePendingAttach();
  auto queue = CurrentQueue();
  State& s = GetState();
  HWND h = nullptr;
  {
    std::lock_guard lock(s.m);
    auto cls = s.classes.find(std::string(class_name));
    if (cls == s.classes.end()) return nullptr;
    WindowRecord* parent_rec = Find(parent);
    if (parent && !parent_rec) return nullptr;
    if ((style & WS_CHILD) && !parent_rec) return nullptr;
    auto rec = std::make_unique<WindowRecord>();
    h = reinterpret_cast<HWND>(s.nextHandle);
    s.nextHandle += 4;
    rec->handle = h;
    rec->queue = queue;
    rec->cls = cls->second;
    rec->proc = cls->second->wc.lpfnWndProc;
    rec->parent = parent;
    rec->rect = {x, y, x + std::max(width, 0), y + std::max(height, 0)};
    rec->style = style;
    rec->exStyle = ex_style;
    rec->text = std::string(title);
    if (style & WS_CHILD) {
      rec->id = static_cast<int>(menu_or_id);
      parent_rec->children.push_back(h);
    } else {
      s.topLevels.push_back(h);
    }
    s.windows.emplace(reinterpret_cast<std::uintptr_t>(h), std::move(rec));
  }
  if (attach) AttachObject(h, attach);
  CREATESTRUCT cs;
  cs.lpCreateParams = param;
  cs.hwndParent = parent;
  cs.x = x;
  cs.y = y;
  cs.cx = width;
  cs.cy = height;
  cs.style = style;
  cs.exStyle = ex_style;
  cs.name = std::string(title);
  cs.className = std::string(class_name);
  if (!SendMessage(h, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs)) ||
      SendMessage(h, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
    DestroyWindow(h);
    return nullptr;
  }
  if (!IsWindow(h)) return nullptr;
  if (style & WS_VISIBLE) {
    RECT screen;
    if (IsTopLevel(h, &screen)) {
      CurrentDisplay().SetTitle(h, GetWindowText(h));
      CurrentDisplay().Show(h, screen, true);
      SetActiveWindow(h);
    }
    InvalidateRect(h, nullptr, TRUE);
  }
  return h;
}

BOOL DestroyWindow(HWND hwnd) {
  if (!OwnedByCurrentThread(hwnd))
    return IsWindow(hwnd) ? static_cast<BOOL>(RunOnOwner(hwnd, [hwnd] { return static_cast<LRESULT>(DestroyWindow(hwnd)); })) : FALSE;
  State& s = GetState();
  std::vector<HWND> subtree;
  bool top = false, capture_lost = false;
  std::vector<std::shared_ptr<ThreadQueue>> wake;
  {
    std::lock_guard lock(s.m);
    WindowRecord* rec = Find(hwnd);
    if (!rec || rec->destroying) return FALSE;
    CollectSubtree(hwnd, subtree);
    for (HWND h : subtree)
      if (WindowRecord* r = Find(h)) r->destroying = true;
    top = !rec->IsChild();
    capture_lost = std::find(subtree.begin(), subtree.end(), s.capture) != subtree.end();
    if (VisibleLocked(*rec)) InvalidateParentArea(*rec, wake);
  }
  for (auto& q : wake) WakeQueue(q);
  if (capture_lost) ReleaseCapture();
  if (top) CurrentDisplay().Show(hwnd, RECT{}, false);
  DestroyTree(hwnd);
  auto me = CurrentQueue();
  {
    std::lock_guard lock(s.m);
    if (WindowRecord* parent = Find(Find(hwnd) ? Find(hwnd)->parent : nullptr)) std::erase(parent->children, hwnd);
    std::erase(s.topLevels, hwnd);
    for (HWND h : subtree) {
      for (HWND* slot : {&s.focus, &s.active, &s.capture, &s.hover, &s.dragging})
        if (*slot == h) *slot = nullptr;
      s.windows.erase(reinterpret_cast<std::uintptr_t>(h));
    }
  }
  for (HWND h : subtree) RemoveTimersFor(me, h);
  if (top) CurrentDisplay().Destroyed(hwnd);
  return TRUE;
}

BOOL IsWindow(HWND hwnd) {
  std::lock_guard lock(GetState().m);
  return Find(hwnd) ? TRUE : FALSE;
}

BOOL IsChild(HWND parent, HWND hwnd) {
  std::lock_guard lock(GetState().m);
  WindowRecord* rec = Find(hwnd);
  while (rec && rec->IsChild()) {
    if (rec->parent == parent) return TRUE;
    rec = Find(rec->parent);
  }
  return FALSE;
}

HWND GetParent(HWND hwnd) {
  std::lock_guard lock(GetState().m);
  WindowRecord* rec = Find(hwnd);
  return rec ? rec->parent : nullptr;
}

HWND GetAncestorTop(HWND hwnd) {
  std::lock_guard lock(GetState().m);
  WindowRecord* rec = Find(hwnd);
  while (rec && rec->IsChild()) rec = Find(rec->parent);
  return rec ? rec->handle : nullptr;
}

HWND GetDlgItem(HWND dialog, int id) {
  std::lock_guard lock(GetState().m);
  WindowRecord* rec = Find(dialog);
  if (!rec) return nullptr;
  for (HWND c : rec->children)
    if (WindowRecord* child = Find(c); child && child->id == id) return c;
  return nullptr;
}

int GetDlgCtrlID(HWND hwnd) {
  std::lock_guard lock(GetState().m);
  WindowRecord* rec = Find(hwnd);
  return rec ? rec->id : 0;
}

LONG_PTR GetWindowLongPtr(HWND hwnd, int index) {
  std::lock_guard lock(GetState().m);
  WindowRecord* rec = Find(hwnd);
  if (!rec) return 0;
  switch (index) {
    case GWL_STYLE: return static_cast<LONG_PTR>(rec->style);
    case GWL_EXSTYLE: return static_cast<LONG_PTR>(rec->exStyle);
    case GWLP_ID: return rec->id;
    case GWLP_USERDATA: return rec->userData;
    case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(rec->proc);
    default: return 0;
  }
}

LONG_PTR SetWindowLongPtr(HWND hwnd, int index, LONG_PTR value) {
  std::lock_guard lock(GetState().m);
  WindowRecord* rec = Find(hwnd);
  if (!rec) return 0;
  switch (index) {
    case GWL_STYLE: return static_cast<LONG_PTR>(std::exchange(rec->style, static_cast<DWORD>(value)));
    case GWL_EXSTYLE: return static_cast<LONG_PTR>(std::exchange(rec->exStyle, static_cast<DWORD>(value)));
    case GWLP_ID: return std::exchange(rec->id, static_cast<int>(value));
    case GWLP_USERDATA: return std::exchange(rec->userData, value);
    case GWLP_WNDPROC:
      return reinterpret_cast<LONG_PTR>(std::exchange(rec->proc, reinterpret_cast<WNDPROC>(value)));
    default: return 0;
  }
}

BOOL SetWindowText(HWND hwnd, std::string_view text) {
  const std::string copy(text);
  return SendMessage(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(copy.c_str())) ? TRUE : FALSE;
}

std::string GetWindowText(HWND hwnd) {
  std::lock_guard lock(GetState().m);
  WindowRecord* rec = Find(hwnd);
  return rec ? rec->text : std::string();
}

int GetWindowTextLength(HWND hwnd) { return static_cast<int>(GetWindowText(hwnd).size()); }

BOOL EnableWindow(HWND hwnd, BOOL enable) {
  if (!IsWindow(hwnd)) return FALSE;
  return static_cast<BOOL>(RunOnOwner(hwnd, [hwnd, enable]() -> LRESULT {
    bool was_disabled = false, changed = false, lose_focus = false, lose_capture = false;
    {
      State& s = GetState();
      std::lock_guard lock(s.m);
      WindowRecord* rec = Find(hwnd);
      if (!rec) return 0;
      was_disabled = (rec->style & WS_DISABLED) != 0;
      changed = was_disabled == static_cast<bool>(enable);
      if (enable) rec->style &= ~WS_DISABLED;
      else rec->style |= WS_DISABLED;
      lose_capture = !enable && s.capture == hwnd;
      lose_focus = !enable && s.focus == hwnd;
    }
    if (lose_capture) ReleaseCapture();
    if (lose_focus) SetFocus(nullptr);
    if (changed) SendMessage(hwnd, WM_ENABLE, enable ? 1 : 0, 0);
    return was_disabled ? 1 : 0;
  }));
}

BOOL IsWindowEnabled(HWND hwnd) {
  std::lock_guard lock(GetState().m);
  WindowRecord* rec = Find(hwnd);
  return rec && !(rec->style & WS_DISABLED) ? TRUE : FALSE;
}

BOOL ShowWindow(HWND hwnd, int cmd) {
  if (!IsWindow(hwnd)) return FALSE;
  return static_cast<BOOL>(RunOnOwner(hwnd, [hwnd, cmd]() -> LRESULT {
    const bool show = cmd != SW_HIDE && cmd != SW_MINIMIZE;
    bool was = false, top = false, lose_focus = false;
    RECT screen{};
    std::string title;
    std::vector<std::shared_ptr<ThreadQueue>> wake;
    {
      State& s = GetState();
      std::lock_guard lock(s.m);
      WindowRecord* rec = Find(hwnd);
      if (!rec) return 0;
      was = (rec->style & WS_VISIBLE) != 0;
      if (was == show) return was ? 1 : 0;
      if (!show) InvalidateParentArea(*rec, wake);
      if (show) rec->style |= WS_VISIBLE;
      else rec->style &= ~WS_VISIBLE;
      if (show) {
        InvalidateLocked(*rec, nullptr, true);
        wake.push_back(rec->queue);
      }
      top = !rec->IsChild();
      screen = rec->rect;
      title = rec->text;
      HWND f = s.focus;
      lose_focus = !show && f && (f == hwnd);
    }
    for (auto& q : wake) WakeQueue(q);
    if (lose_focus) SetFocus(nullptr);
    SendMessage(hwnd, WM_SHOWWINDOW, show ? 1 : 0, 0);
    if (top) {
      // A window made hidden (every dialog) got its caption before the
      // display knew it; the display shows it with its title.
      if (show) CurrentDisplay().SetTitle(hwnd, title);
      CurrentDisplay().Show(hwnd, screen, show);
      if (show && cmd != SW_SHOWNA) SetActiveWindow(hwnd);
    }
    return was ? 1 : 0;
  }));
}

BOOL IsWindowVisible(HWND hwnd) {
  std::lock_guard lock(GetState().m);
  WindowRecord* rec = Find(hwnd);
  return rec && VisibleLocked(*rec) ? TRUE : FALSE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
  if (!IsWindow(hwnd)) return FALSE;
  return static_cast<BOOL>(RunOnOwner(hwnd, [=]() -> LRESULT {
    RECT old{}, now{x, y, x + std::max(width, 0), y + std::max(height, 0)};
    bool top = false;
    std::vector<std::shared_ptr<ThreadQueue>> wake;
    {
      std::lock_guard lock(GetState().m);
      WindowRecord* rec = Find(hwnd);
      if (!rec) return 0;
      old = rec->rect;
      if (repaint && VisibleLocked(*rec)) InvalidateParentArea(*rec, wake);
      rec->rect = now;
      top = !rec->IsChild();
      if (repaint && VisibleLocked(*rec)) {
        InvalidateLocked(*rec, nullptr, true);
        InvalidateParentArea(*rec, wake);
        wake.push_back(rec->queue);
      }
    }
    for (auto& q : wake) WakeQueue(q);
    if (top) CurrentDisplay().Move(hwnd, now);
    if (old.left != now.left || old.top != now.top) SendMessage(hwnd, WM_MOVE, 0, MAKELPARAM(x, y));
    if (old.right - old.left != now.right - now.left || old.bottom - old.top != now.bottom - now.top)
      SendMessage(hwnd, WM_SIZE, 0, MAKELPARAM(width, height));
    return 1;
  }));
}

BOOL SetWindowPos(HWND hwnd, HWND, int x, int y, int cx, int cy, UINT flags) {
  RECT r;
  {
    std::lock_guard lock(GetState().m);
    WindowRecord* rec = Find(hwnd);
    if (!rec) return FALSE;
    r = rec->rect;
  }
  if (!(flags & SWP_NOMOVE)) OffsetRect(&r, x - r.left, y - r.top);
  if (!(flags & SWP_NOSIZE)) {
    r.right = r.left + cx;
    r.bottom = r.top + cy;
  }
  if ((flags & (SWP_NOMOVE | SWP_NOSIZE)) != (SWP_NOMOVE | SWP_NOSIZE))
    MoveWindow(hwnd, r.left, r.top, r.right - r.left, r.bottom - r.top, !(flags & SWP_NOREDRAW));
  if (flags & SWP_SHOWWINDOW) ShowWindow(hwnd, (flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
  if (flags & SWP_HIDEWINDOW) ShowWindow(hwnd, SW_HIDE);
  return TRUE;
}

BOOL GetWindowRect(HWND hwnd, RECT* rect) {
  std::lock_guard lock(GetState().m);
  WindowRecord* rec = Find(hwnd);
  if (!rec || !rect) return FALSE;
  *rect = ScreenRectLocked(*rec);
  return TRUE;
}

BOOL GetClientRect(HWND hwnd, RECT* rect) {
  std::lock_guard lock(GetState().m);
  WindowRecord* rec = Find(hwnd);
  if (!rec || !rect) return FALSE;
  *rect = {0, 0, rec->rect.right - rec->rect.left, rec->rect.bottom - rec->rect.top};
  return TRUE;
}

BOOL ClientToScreen(HWND hwnd, POINT* p) {
  RECT r;
  if (!p || !GetWindowRect(hwnd, &r)) return FALSE;
  p->x += r.left;
  p->y += r.top;
  return TRUE;
}

BOOL ScreenToClient(HWND hwnd, POINT* p) {
  RECT r;
  if (!p || !GetWindowRect(hwnd, &r)) return FALSE;
  p->x -= r.left;
  p->y -= r.top;
  return TRUE;
}

int SetWindowRgn(HWND hwnd, HRGN region, BOOL redraw) {
  std::shared_ptr<ThreadQueue> q;
  {
    std::lock_guard lock(GetState().m);
    WindowRecord* rec = Find(hwnd);
    if (!rec) return 0;
    rec->region.reset(region);
    if (redraw && VisibleLocked(*rec)) {
      std::vector<std::shared_ptr<ThreadQueue>> wake;
      InvalidateParentArea(*rec, wake);
      InvalidateLocked(*rec, nullptr, true);
      q = rec->queue;
    }
  }
  WakeQueue(q);
  return 1;
}

int GetWindowRgn(HWND hwnd, HRGN out) {
  std::lock_guard lock(GetState().m);
  WindowRecord* rec = Find(hwnd);
  if (!rec || !rec->region || !out) return ERROR;
  out->rects = rec->region->rects;
  return out->rects.empty() ? NULLREGION : COMPLEXREGION;
}

BOOL EnableCloseCommand(HWND hwnd, BOOL enable) {
  std::lock_guard lock(GetState().m);
  WindowRecord* rec = Find(hwnd);
  if (!rec) return FALSE;
  rec->closeEnabled = enable != FALSE;
  return TRUE;
}

BOOL IsCloseCommandEnabled(HWND hwnd) {
  std::lock_guard lock(GetState().m);
  WindowRecord* rec = Find(hwnd);
  return rec && rec->closeEnabled ? TRUE : FALSE;
}

LRESULT SendIconMessage(HWND hwnd, int which, HICON icon) {
  return SendMessage(hwnd, WM_SETICON, static_cast<WPARAM>(which), reinterpret_cast<LPARAM>(icon));
}

int GetSystemMetrics(int index) {
  switch (index) {
    case SM_CXSCREEN: return CurrentDisplay().ScreenSize().cx;
    case SM_CYSCREEN: return CurrentDisplay().ScreenSize().cy;
    case SM_CXICON:
    case SM_CYICON: return 32;
    default: return 0;
  }
}

}  // namespace vexaro::gui
