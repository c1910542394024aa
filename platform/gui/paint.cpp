// Invalidation, paint contexts on the top-level window's canvas, and handing
// finished canvases to the display when the thread goes idle.
#include <utility>
#include <algorithm>

#include "platform/gui/display.h"
#include "platform/gui/internal/window_internal.h"

namespace vexaro::gui {
namespace {

RECT ClientOf(const WindowRecord& w) {
  return {0, 0, w.rect.right - w.rect.left, w.rect.bottom - w.rect.top};
}

WindowRecord* TopOf(WindowRecord* rec) {
  while (rec && rec->IsChild()) rec = Find(rec->parent);
  return rec;
}

// The part of the canvas a window may draw on: its rectangle cut by every
// ancestor's rectangle and by each one's region (canvas coordinates).
std::vector<RECT> VisibleArea(const WindowRecord& w, POINT& origin) {
  const WindowRecord* top = &w;
  while (top->IsChild() && Find(top->parent)) top = Find(top->parent);
  const RECT top_screen = top->rect;
  const RECT screen = ScreenRectLocked(w);
  origin = {screen.left - top_screen.left, screen.top - top_screen.top};
  std::vector<RECT> area{{origin.x, origin.y, origin.x + (screen.right - screen.left),
                          origin.y + (screen.bottom - screen.top)}};
  for (const WindowRecord* cur = &w; cur;) {
    const RECT cs = ScreenRectLocked(*cur);
    const POINT o{cs.left - top_screen.left, cs.top - top_screen.top};
    area = RectsIntersect(area, {RECT{o.x, o.y, o.x + (cs.right - cs.left), o.y + (cs.bottom - cs.top)}});
    if (cur->region) area = RectsIntersect(area, RectsOffset(cur->region->rects, o.x, o.y));
    cur = cur->IsChild() ? Find(cur->parent) : nullptr;
  }
  if (w.style & WS_CLIPCHILDREN)
    for (HWND c : w.children)
      if (WindowRecord* child = Find(c); child && (child->style & WS_VISIBLE)) {
        RECT cr = child->rect;
        OffsetRect(&cr, origin.x, origin.y);
        area = RectsSubtract(area, {cr});
      }
  return area;
}

Bitmap* CanvasFor(WindowRecord& top) {
  const int w = top.rect.right - top.rect.left, h = top.rect.bottom - top.rect.top;
  if (!top.canvas) top.canvas = std::make_unique<Bitmap>(std::max(w, 1), std::max(h, 1));
  Bitmap& c = *top.canvas;
  if (c.width != std::max(w, 1) || c.height != std::max(h, 1)) {
    // Resized in place so that a context still holding the canvas stays valid.
    c.width = std::max(w, 1);
    c.height = std::max(h, 1);
    c.pixels.assign(static_cast<std::size_t>(c.width) * static_cast<std::size_t>(c.height), 0xFF000000u);
  }
  return &c;
}

// A context drawing on the window's part of its top-level canvas with the
// window's font, clipped to what of the window shows and, when `only` is
// given, to those client rectangles (the part a paint redraws).
HDC CanvasDCLocked(HWND hwnd, WindowRecord& rec, WindowRecord& top, const std::vector<RECT>* only) {
  POINT origin;
  std::vector<RECT> area = VisibleArea(rec, origin);
  if (only) area = RectsIntersect(area, RectsOffset(*only, origin.x, origin.y));
  HDC hdc = MakeCanvasDC(CanvasFor(top), origin, std::move(area), hwnd);
  if (rec.font) hdc->font = rec.font;
  return hdc;
}

void PaintOrder(HWND h, std::vector<HWND>& out) {
  WindowRecord* rec = Find(h);
  if (!rec || !(rec->style & WS_VISIBLE)) return;
  out.push_back(h);
  for (HWND c : rec->children) PaintOrder(c, out);
}

}  // namespace

void InvalidateLocked(WindowRecord& w, const RECT* client_rect, bool erase) {
  if (!VisibleLocked(w) || w.destroying) return;
  RECT r = ClientOf(w);
  if (client_rect && !IntersectRect(&r, client_rect, &r)) return;
  w.invalid = RectsUnion(w.invalid, {r});
  if (erase) w.erase = true;
  for (HWND c : w.children) {
    WindowRecord* child = Find(c);
    if (!child) continue;
    RECT cr;
    if (!IntersectRect(&cr, &r, &child->rect)) continue;
    OffsetRect(&cr, -child->rect.left, -child->rect.top);
    InvalidateLocked(*child, &cr, erase);
  }
}

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
  std::vector<std::shared_ptr<ThreadQueue>> queues;
  {
    std::lock_guard lock(GetState().m);
    WindowRecord* rec = Find(hwnd);
    if (!rec) return FALSE;
    InvalidateLocked(*rec, rect, erase != FALSE);
    std::vector<HWND> tree;
    PaintOrder(hwnd, tree);
    for (HWND h : tree)
      if (WindowRecord* r = Find(h); r && std::find(queues.begin(), queues.end(), r->queue) == queues.end())
        queues.push_back(r->queue);
  }
  for (auto& q : queues) WakeQueue(q);
  return TRUE;
}

BOOL InvalidateRgn(HWND hwnd, HRGN rgn, BOOL erase) {
  if (!rgn) return InvalidateRect(hwnd, nullptr, erase);
  for (const RECT& r : rgn->rects) InvalidateRect(hwnd, &r, erase);
  return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT* rect) {
  std::lock_guard lock(GetState().m);
  WindowRecord* rec = Find(hwnd);
  if (!rec) return FALSE;
  if (!rect) {
    rec->invalid.clear();
    rec->erase = false;
  } else {
    rec->invalid = RectsSubtract(rec->invalid, {*rect});
  }
  return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL) {
  std::lock_guard lock(GetState().m);
  WindowRecord* rec = Find(hwnd);
  if (!rec) return FALSE;
  Region r;
  r.rects = rec->invalid;
  if (rect) *rect = r.Bounds();
  return rec->invalid.empty() ? FALSE : TRUE;
}

HWND FindPaintWindow(const std::shared_ptr<ThreadQueue>& q) {
  State& s = GetState();
  std::lock_guard lock(s.m);
  std::vector<HWND> order;
  for (HWND top : s.topLevels) PaintOrder(top, order);
  for (HWND h : order)
    if (WindowRecord* rec = Find(h); rec->queue == q && !rec->invalid.empty()) return h;
  return nullptr;
}

BOOL UpdateWindow(HWND hwnd) {
  std::vector<HWND> order;
  {
    std::lock_guard lock(GetState().m);
    PaintOrder(hwnd, order);
  }
  for (HWND h : order) {
    bool dirty = false;
    {
      std::lock_guard lock(GetState().m);
      WindowRecord* rec = Find(h);
      dirty = rec && !rec->invalid.empty();
    }
    if (dirty) SendMessage(h, WM_PAINT, 0, 0);
  }
  return IsWindow(hwnd);
}

BOOL RedrawWindow(HWND hwnd) {
  InvalidateRect(hwnd, nullptr, TRUE);
  return UpdateWindow(hwnd);
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps) {
  if (!ps) return nullptr;
  HDC hdc = nullptr;
  bool erase = false;
  {
    std::lock_guard lock(GetState().m);
    WindowRecord* rec = Find(hwnd);
    WindowRecord* top = TopOf(rec);
    if (!rec || !top) return nullptr;
    hdc = CanvasDCLocked(hwnd, *rec, *top, &rec->invalid);
    Region bounds;
    bounds.rects = std::move(rec->invalid);
    ps->rcPaint = bounds.Bounds();
    rec->invalid.clear();
    erase = std::exchange(rec->erase, false);
    top->needsPresent = true;
  }
  ps->hdc = hdc;
  ps->fErase = erase ? TRUE : FALSE;
  if (erase && SendMessage(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0)) ps->fErase = FALSE;
  return hdc;
}

BOOL EndPaint(HWND, const PAINTSTRUCT* ps) {
  if (!ps || !ps->hdc) return FALSE;
  FreeDC(ps->hdc);
  return TRUE;
}

HDC GetDC(HWND hwnd) {
  std::lock_guard lock(GetState().m);
  WindowRecord* rec = Find(hwnd);
  WindowRecord* top = TopOf(rec);
  return rec && top ? CanvasDCLocked(hwnd, *rec, *top, nullptr) : nullptr;
}

int ReleaseDC(HWND hwnd, HDC hdc) {
  if (!hdc) return 0;
  FreeDC(hdc);
  std::shared_ptr<ThreadQueue> q;
  {
    std::lock_guard lock(GetState().m);
    WindowRecord* top = TopOf(Find(hwnd));
    if (!top) return 1;
    top->needsPresent = true;
    q = top->queue;
  }
  WakeQueue(q);
  return 1;
}

void PresentDirtyWindows(const std::shared_ptr<ThreadQueue>& q) {
  std::vector<std::pair<HWND, Bitmap*>> ready;
  {
    State& s = GetState();
    std::lock_guard lock(s.m);
    for (HWND h : s.topLevels) {
      WindowRecord* rec = Find(h);
      if (rec && rec->queue == q && rec->needsPresent && rec->canvas && (rec->style & WS_VISIBLE)) {
        rec->needsPresent = false;
        ready.emplace_back(h, rec->canvas.get());
      }
    }
  }
  // The canvas is only written by this (the owning) thread, so reading it
  // here without the lock is safe.
  for (auto& [h, canvas] : ready) CurrentDisplay().Present(h, *canvas);
}

}  // namespace vexaro::gui
