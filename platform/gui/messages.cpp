// Message queues: posted and sent messages, the quit request, paint and timer
// messages generated when the queue is otherwise idle, and dispatching.
#include <algorithm>
#include <optional>

#include "platform/gui/internal/window_internal.h"
#include "platform/sys/sys.h"

namespace vexaro::gui {
namespace {

// Payloads of posted messages are held until their message was dispatched. A
// message that is retrieved but never dispatched keeps its payload until a
// few later ones have come through.
constexpr std::size_t kMaxHeldPayloads = 64;

// The queue of the thread that owns the window; nullptr for no such window.
std::shared_ptr<ThreadQueue> OwnerQueue(HWND hwnd) {
  std::lock_guard lock(GetState().m);
  WindowRecord* rec = Find(hwnd);
  return rec ? rec->queue : nullptr;
}

// False when the queue's thread has ended: nobody would retrieve the message.
bool PostToQueue(const std::shared_ptr<ThreadQueue>& target, PostedMessage pm) {
  {
    std::lock_guard lock(target->m);
    if (!target->alive) return false;
    target->posted.push_back(std::move(pm));
  }
  target->cv.notify_all();
  return true;
}

LRESULT CallProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  WNDPROC proc = nullptr;
  {
    std::lock_guard lock(GetState().m);
    WindowRecord* rec = Find(hwnd);
    if (!rec) return 0;
    proc = rec->proc;
  }
  if (msg == kInvokeMessage) return (*reinterpret_cast<const std::function<LRESULT()>*>(l))();
  return proc ? proc(hwnd, msg, w, l) : DefWindowProc(hwnd, msg, w, l);
}

void HandleSent(const std::shared_ptr<ThreadQueue>& me, const std::shared_ptr<SentMessage>& sm) {
  {
    std::lock_guard lock(me->m);
    ++me->inSend;
  }
  const LRESULT r = CallProc(sm->hwnd, sm->msg, sm->w, sm->l);
  {
    std::lock_guard lock(me->m);
    --me->inSend;
  }
  std::lock_guard lock(sm->sender->m);
  sm->result = r;
  sm->done = true;
  sm->sender->cv.notify_all();
}

// Handles the messages other threads have sent to this one.
void DrainSent(const std::shared_ptr<ThreadQueue>& me) {
  while (true) {
    std::shared_ptr<SentMessage> sm;
    {
      std::lock_guard lock(me->m);
      if (me->sent.empty()) return;
      sm = me->sent.front();
      me->sent.pop_front();
    }
    HandleSent(me, sm);
  }
}

bool Matches(const MSG& m, HWND filter, UINT min, UINT max) {
  if (filter && m.hwnd != filter && !IsChild(filter, m.hwnd)) return false;
  if (min == 0 && max == 0) return true;
  return m.message >= min && m.message <= max;
}

MSG Make(HWND h, UINT msg, WPARAM w, LPARAM l) {
  MSG m;
  m.hwnd = h;
  m.message = msg;
  m.wParam = w;
  m.lParam = l;
  m.time = static_cast<DWORD>(sys::NowMs());
  std::lock_guard lock(GetState().m);
  m.pt = GetState().cursor;
  return m;
}

// One step of retrieval: the next message that is ready, if any.
std::optional<MSG> NextReady(const std::shared_ptr<ThreadQueue>& q, HWND filter, UINT min, UINT max,
                             bool remove) {
  DrainSent(q);
  {
    std::lock_guard lock(q->m);
    for (auto it = q->posted.begin(); it != q->posted.end(); ++it) {
      if (!Matches(it->msg, filter, min, max)) continue;
      MSG m = it->msg;
      if (it->mouse) RouteMouseOnRead(q, m);
      if (remove) {
        if (it->payload) {
          q->payloads.push_back({m.lParam, std::move(it->payload)});
          if (q->payloads.size() > kMaxHeldPayloads) q->payloads.pop_front();
        }
        q->posted.erase(it);
      }
      return m;
    }
    if (q->quit) {
      MSG m;
      m.message = WM_QUIT;
      m.wParam = static_cast<WPARAM>(q->quitCode);
      if (remove) q->quit = false;
      return m;
    }
    q->wake = false;
  }
  if (HWND paint = FindPaintWindow(q); paint && (!filter || paint == filter || IsChild(filter, paint)))
    return Make(paint, WM_PAINT, 0, 0);
  std::lock_guard lock(q->m);
  const std::uint64_t now = sys::NowMs();
  Timer* due = nullptr;
  for (Timer& t : q->timers)
    if (t.due <= now && (!due || t.due < due->due)) due = &t;
  if (!due) return std::nullopt;
  MSG m;
  m.hwnd = due->hwnd;
  m.message = WM_TIMER;
  m.wParam = due->id;
  m.time = static_cast<DWORD>(now);
  // Like the system's timers, late ticks do not pile up: the next one is an
  // interval after this delivery.
  if (remove) due->due = now + due->interval;
  return m;
}

// Sleeps until something arrives for this thread or the next timer is due.
void WaitForWork(const std::shared_ptr<ThreadQueue>& q) {
  PresentDirtyWindows(q);
  std::unique_lock lock(q->m);
  if (!q->sent.empty() || !q->posted.empty() || q->quit || q->wake) return;
  std::optional<std::uint64_t> next;
  for (const Timer& t : q->timers) next = next ? std::min(*next, t.due) : t.due;
  if (!next) {
    q->cv.wait(lock);
    return;
  }
  const std::uint64_t now = sys::NowMs();
  if (*next > now) q->cv.wait_for(lock, sys::RealDuration(*next - now));
}

bool WaitReply(const std::shared_ptr<ThreadQueue>& me, const std::shared_ptr<SentMessage>& sm,
               std::optional<std::uint64_t> deadline) {
  std::unique_lock lock(me->m);
  while (!sm->done) {
    if (!me->sent.empty()) {
      // The thread we wait for may itself be sending to us.
      auto incoming = me->sent.front();
      me->sent.pop_front();
      lock.unlock();
      HandleSent(me, incoming);
      lock.lock();
      continue;
    }
    if (!deadline) {
      me->cv.wait(lock);
      continue;
    }
    const std::uint64_t now = sys::NowMs();
    if (now >= *deadline) return false;
    me->cv.wait_for(lock, sys::RealDuration(*deadline - now));
  }
  return true;
}

std::optional<LRESULT> SendImpl(HWND hwnd, UINT msg, WPARAM w, LPARAM l, std::optional<UINT> timeout) {
  const std::shared_ptr<ThreadQueue> target = OwnerQueue(hwnd);
  if (!target) return std::nullopt;
  auto me = CurrentQueue();
  if (target == me) return CallProc(hwnd, msg, w, l);
  auto sm = std::make_shared<SentMessage>();
  sm->hwnd = hwnd;
  sm->msg = msg;
  sm->w = w;
  sm->l = l;
  sm->sender = me;
  {
    std::lock_guard lock(target->m);
    if (!target->alive) return std::nullopt;
    target->sent.push_back(sm);
  }
  target->cv.notify_all();
  std::optional<std::uint64_t> deadline;
  if (timeout) deadline = sys::NowMs() + *timeout;
  if (!WaitReply(me, sm, deadline)) return std::nullopt;
  std::lock_guard lock(me->m);
  return sm->result;
}

}  // namespace

LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  return SendImpl(hwnd, msg, w, l, std::nullopt).value_or(0);
}

LRESULT SendMessageTimeout(HWND hwnd, UINT msg, WPARAM w, LPARAM l, UINT, UINT timeout_ms,
                           LRESULT* result) {
  auto r = SendImpl(hwnd, msg, w, l, timeout_ms);
  if (!r) return 0;
  if (result) *result = *r;
  return 1;
}

BOOL InSendMessage() {
  auto q = CurrentQueue();
  std::lock_guard lock(q->m);
  return q->inSend > 0;
}

bool PostWithPayload(HWND hwnd, UINT msg, WPARAM w, LPARAM l, std::shared_ptr<void> payload) {
  // A message for no window goes to the calling thread's queue.
  const std::shared_ptr<ThreadQueue> target = hwnd ? OwnerQueue(hwnd) : CurrentQueue();
  return target && PostToQueue(target, {Make(hwnd, msg, w, l), std::move(payload)});
}

bool PostMouseInput(HWND hwnd, UINT msg, WPARAM w, POINT screen) {
  const std::shared_ptr<ThreadQueue> target = OwnerQueue(hwnd);
  if (!target) return false;
  PostedMessage pm{Make(hwnd, msg, w, 0), nullptr, true};
  pm.msg.pt = screen;
  return PostToQueue(target, std::move(pm));
}

BOOL PostMessage(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  return PostWithPayload(hwnd, msg, w, l, nullptr) ? TRUE : FALSE;
}

void PostQuitMessage(int code) {
  auto q = CurrentQueue();
  {
    std::lock_guard lock(q->m);
    q->quit = true;
    q->quitCode = code;
  }
  q->cv.notify_all();
}

BOOL GetMessage(MSG* msg, HWND filter, UINT min, UINT max) {
  auto q = CurrentQueue();
  while (true) {
    if (auto m = NextReady(q, filter, min, max, true)) {
      if (msg) *msg = *m;
      return m->message == WM_QUIT ? FALSE : TRUE;
    }
    WaitForWork(q);
  }
}

BOOL PeekMessage(MSG* msg, HWND filter, UINT min, UINT max, UINT remove) {
  auto q = CurrentQueue();
  auto m = NextReady(q, filter, min, max, (remove & PM_REMOVE) != 0);
  if (!m) {
    PresentDirtyWindows(q);
    return FALSE;
  }
  if (msg) *msg = *m;
  return TRUE;
}

BOOL WaitMessage() {
  auto q = CurrentQueue();
  DrainSent(q);
  WaitForWork(q);
  return TRUE;
}

BOOL TranslateMessage(const MSG* msg) {
  if (!msg || msg->message != WM_KEYDOWN) return FALSE;
  const char ch = static_cast<char>((msg->lParam >> 16) & 0xFF);
  if (ch == 0) return FALSE;
  return PostMessage(msg->hwnd, WM_CHAR, static_cast<unsigned char>(ch), msg->lParam);
}

LRESULT DispatchMessage(const MSG* msg) {
  if (!msg || !msg->hwnd) return 0;
  std::shared_ptr<void> hold;
  if (auto q = CurrentQueue(); !q->payloads.empty()) {
    for (auto it = q->payloads.begin(); it != q->payloads.end(); ++it)
      if (it->key == msg->lParam) {
        hold = std::move(it->payload);
        q->payloads.erase(it);
        break;
      }
  }
  if (msg->message == kInvokeMessage) return 0;  // only ever sent, never posted
  return CallProc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LRESULT CallWindowProc(WNDPROC proc, HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  return proc ? proc(hwnd, msg, w, l) : DefWindowProc(hwnd, msg, w, l);
}

bool PumpPendingMessages() {
  MSG m;
  while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(m.wParam));
      return false;
    }
    TranslateMessage(&m);
    DispatchMessage(&m);
  }
  return true;
}

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse_ms, void*) {
  const std::shared_ptr<ThreadQueue> q = OwnerQueue(hwnd);
  if (!q) return 0;
  const std::uint64_t interval = std::max<UINT>(elapse_ms, 1);
  {
    std::lock_guard lock(q->m);
    auto it = std::find_if(q->timers.begin(), q->timers.end(),
                           [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
    Timer t{hwnd, id, interval, sys::NowMs() + interval};
    if (it != q->timers.end()) *it = t;
    else q->timers.push_back(t);
  }
  q->cv.notify_all();
  return id == 0 ? 1 : id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
  const std::shared_ptr<ThreadQueue> q = OwnerQueue(hwnd);
  if (!q) return FALSE;
  std::lock_guard lock(q->m);
  const auto n = std::erase_if(q->timers, [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
  return n > 0 ? TRUE : FALSE;
}

void RemoveTimersFor(const std::shared_ptr<ThreadQueue>& q, HWND hwnd) {
  std::lock_guard lock(q->m);
  std::erase_if(q->timers, [&](const Timer& t) { return t.hwnd == hwnd; });
}

}  // namespace vexaro::gui
