// The window table, the per-thread queues and their lifetime.
#include <algorithm>

#include "platform/gui/display.h"
#include "platform/gui/internal/window_internal.h"
#include "platform/sys/thread_slot.h"

namespace vexaro::gui {
namespace {

// Completes whatever was waiting on a thread that ends: its windows vanish
// (without messages, as the thread can no longer handle them) and senders
// blocked on it get 0.
void ReleaseQueue(const std::shared_ptr<ThreadQueue>& q) {
  std::vector<HWND> tops;
  {
    State& s = GetState();
    std::lock_guard lock(s.m);
    std::vector<HWND> gone;
    for (auto& [key, rec] : s.windows)
      if (rec->queue == q) gone.push_back(rec->handle);
    for (HWND h : gone) {
      WindowRecord* rec = Find(h);
      if (!rec) continue;
      if (!rec->IsChild()) tops.push_back(h);
      if (WindowRecord* parent = Find(rec->parent)) std::erase(parent->children, h);
      std::erase(s.topLevels, h);
      for (HWND* slot : {&s.focus, &s.active, &s.capture, &s.hover, &s.dragging})
        if (*slot == h) *slot = nullptr;
    }
    for (HWND h : gone) s.windows.erase(reinterpret_cast<std::uintptr_t>(h));
  }
  for (HWND h : tops) CurrentDisplay().Destroyed(h);
  q->wrappers.clear();
  q->payloads.clear();
  std::deque<std::shared_ptr<SentMessage>> pending;
  {
    std::lock_guard lock(q->m);
    q->alive = false;
    pending.swap(q->sent);
    q->timers.clear();
    q->posted.clear();
  }
  for (auto& sm : pending) {
    std::lock_guard lock(sm->sender->m);
    sm->done = true;
    sm->result = 0;
    sm->sender->cv.notify_all();
  }
}

// The calling thread's queue lives in a thread slot (platform/sys) whose
// destructor releases it when the thread ends. Not a C++ thread_local: with
// MinGW-w64's emulated TLS the storage of a thread_local can be freed before
// its destructor runs, which crashed threads at exit now and then.
struct QueueSlot {
  std::shared_ptr<ThreadQueue> queue;
  sys::ThreadSlot key;
};

void EndThreadQueue(void* data) {
  // MinGW-w64's thread library also calls destructors for slots that were
  // set back to null (as below), unlike POSIX.
  if (!data) return;
  auto* slot = static_cast<QueueSlot*>(data);
  // Code run by the release (window destruction) still sees this queue.
  sys::SetThreadSlot(slot->key, slot);
  ReleaseQueue(slot->queue);
  sys::SetThreadSlot(slot->key, nullptr);
  delete slot;
}

sys::ThreadSlot QueueKey() {
  static const sys::ThreadSlot key = sys::NewThreadSlot(EndThreadQueue);
  return key;
}

}  // namespace

State& GetState() {
  // Never destroyed: threads may end after static destruction began.
  static State* state = new State;
  return *state;
}

WindowRecord* Find(HWND hwnd) {
  if (!hwnd) return nullptr;
  auto& windows = GetState().windows;
  auto it = windows.find(reinterpret_cast<std::uintptr_t>(hwnd));
  return it == windows.end() ? nullptr : it->second.get();
}

std::shared_ptr<ThreadQueue> CurrentQueue() {
  const sys::ThreadSlot key = QueueKey();
  if (void* data = sys::GetThreadSlot(key)) return static_cast<QueueSlot*>(data)->queue;
  auto* slot = new QueueSlot{std::make_shared<ThreadQueue>(), key};
  slot->queue->tid = std::this_thread::get_id();
  sys::SetThreadSlot(key, slot);
  return slot->queue;
}

bool OwnedByCurrentThread(HWND hwnd) {
  auto me = CurrentQueue();
  std::lock_guard lock(GetState().m);
  WindowRecord* rec = Find(hwnd);
  return rec && rec->queue == me;
}

void WakeQueue(const std::shared_ptr<ThreadQueue>& q) {
  if (!q) return;
  {
    std::lock_guard lock(q->m);
    q->wake = true;
  }
  q->cv.notify_all();
}

LRESULT RunOnOwner(HWND hwnd, const std::function<LRESULT()>& fn) {
  if (OwnedByCurrentThread(hwnd)) return fn();
  return SendMessage(hwnd, kInvokeMessage, 0, reinterpret_cast<LPARAM>(&fn));
}

RECT ScreenRectLocked(const WindowRecord& w) {
  RECT r = w.rect;
  const WindowRecord* cur = &w;
  while (cur->IsChild()) {
    const WindowRecord* p = Find(cur->parent);
    if (!p) break;
    OffsetRect(&r, p->rect.left, p->rect.top);
    cur = p;
  }
  return r;
}

bool VisibleLocked(const WindowRecord& w) {
  const WindowRecord* cur = &w;
  while (cur) {
    if (!(cur->style & WS_VISIBLE)) return false;
    cur = cur->IsChild() ? Find(cur->parent) : nullptr;
  }
  return true;
}

}  // namespace vexaro::gui
