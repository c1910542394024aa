// Internal: the window records, the per-thread queues and the global lock that
// guards the window tree. Window procedures are never called with it held.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "platform/gui/internal/dc_internal.h"
#include "platform/gui/window.h"

namespace vexaro::gui {

class CWnd;
struct ThreadQueue;

struct SentMessage {
  HWND hwnd = nullptr;
  UINT msg = 0;
  WPARAM w = 0;
  LPARAM l = 0;
  LRESULT result = 0;
  bool done = false;  // guarded by sender->m
  std::shared_ptr<ThreadQueue> sender;
};

struct PostedMessage {
  MSG msg;
  std::shared_ptr<void> payload;  // kept alive until the message was handled
  bool mouse = false;             // mouse input: the target is decided when it is read
};

struct Timer {
  HWND hwnd = nullptr;
  UINT_PTR id = 0;
  std::uint64_t interval = 0;
  std::uint64_t due = 0;
};

// A posted message's payload held until the message was dispatched.
struct HeldPayload {
  LPARAM key;
  std::shared_ptr<void> payload;
};

struct ThreadQueue {
  std::mutex m;
  std::condition_variable cv;
  std::deque<PostedMessage> posted;
  std::deque<std::shared_ptr<SentMessage>> sent;
  std::vector<Timer> timers;
  bool quit = false;
  int quitCode = 0;
  bool wake = false;   // a window of this thread needs painting
  bool alive = true;
  int inSend = 0;      // depth of sent messages being handled now
  std::thread::id tid;
  // Used by the owning thread only. They live here rather than in objects of
  // their own per thread: C++ thread_local objects with destructors are not
  // safe at thread exit under MinGW-w64 (see CurrentQueue).
  std::deque<HeldPayload> payloads;
  std::unordered_map<HWND, std::shared_ptr<CWnd>> wrappers;  // see CWnd::FromHandle
};

struct ClassRecord {
  WNDCLASS wc;
};

// What the built-in controls keep per window.
struct ControlState {
  int lo = 0, hi = 100, pos = 0, step = 10;  // progress bar
  bool pressed = false;                       // button held down
  UINT check = 0;
};

struct WindowRecord {
  HWND handle = nullptr;
  std::shared_ptr<ThreadQueue> queue;
  std::shared_ptr<ClassRecord> cls;
  WNDPROC proc = nullptr;
  CWnd* object = nullptr;
  HWND parent = nullptr;
  std::vector<HWND> children;  // creation order; later ones lie on top
  RECT rect;                   // parent client coordinates (screen for top-level)
  DWORD style = 0;
  DWORD exStyle = 0;
  std::string text;
  int id = 0;
  LONG_PTR userData = 0;
  std::unique_ptr<Region> region;  // window coordinates
  std::vector<RECT> invalid;       // client coordinates
  bool erase = false;
  std::unique_ptr<Bitmap> canvas;  // top-level windows
  bool needsPresent = false;
  HFONT font = nullptr;
  HICON icons[2] = {nullptr, nullptr};
  bool trackLeave = false;
  bool closeEnabled = true;
  bool destroying = false;
  ControlState ctl;
  bool IsChild() const { return (style & WS_CHILD) != 0 && parent != nullptr; }
};

struct State {
  std::mutex m;
  std::unordered_map<std::uintptr_t, std::unique_ptr<WindowRecord>> windows;
  std::vector<HWND> topLevels;  // z-order, last on top
  std::map<std::string, std::shared_ptr<ClassRecord>> classes;
  std::uintptr_t nextHandle = 0x1000;
  HWND focus = nullptr;
  HWND active = nullptr;
  HWND capture = nullptr;
  HWND hover = nullptr;         // window under the mouse
  POINT cursor;
  bool leftDown = false;
  bool rightDown = false;
  POINT leftPressAt;            // cursor when the left button last went down
  HWND dragging = nullptr;      // caption drag in progress
  POINT dragStart;
  RECT dragRect;
};

State& GetState();
// The record, or nullptr when the handle is not (or no longer) a window. Call
// with GetState().m held.
WindowRecord* Find(HWND hwnd);
std::shared_ptr<ThreadQueue> CurrentQueue();
bool OwnedByCurrentThread(HWND hwnd);

// Runs fn on the thread that owns hwnd and returns its result (at once when
// the caller is that thread); 0 when the window is gone.
LRESULT RunOnOwner(HWND hwnd, const std::function<LRESULT()>& fn);
// The private message that carries such calls; never reaches a window procedure.
constexpr UINT kInvokeMessage = 0x03F1;

void WakeQueue(const std::shared_ptr<ThreadQueue>& q);
bool PostWithPayload(HWND hwnd, UINT msg, WPARAM w, LPARAM l, std::shared_ptr<void> payload);
// Mouse input for hwnd's thread at a screen point.
bool PostMouseInput(HWND hwnd, UINT msg, WPARAM w, POINT screen);
// Like the system, the window that gets mouse input is decided when the
// thread reads it: the capture (if this thread holds it) or the window under
// the point. Called with the queue's lock held.
void RouteMouseOnRead(const std::shared_ptr<ThreadQueue>& q, MSG& m);

// Window coordinates of a record in screen coordinates (lock held).
RECT ScreenRectLocked(const WindowRecord& w);
bool VisibleLocked(const WindowRecord& w);
// The deepest enabled, visible window at a screen point (lock held).
HWND HitTestLocked(POINT screen);
void RemoveTimersFor(const std::shared_ptr<ThreadQueue>& q, HWND hwnd);
void BeginCaptionDrag(HWND hwnd);

// Painting internals.
void PresentDirtyWindows(const std::shared_ptr<ThreadQueue>& q);
// A window of this thread that needs WM_PAINT, parents before children.
HWND FindPaintWindow(const std::shared_ptr<ThreadQueue>& q);
void InvalidateLocked(WindowRecord& w, const RECT* client_rect, bool erase);

// The built-in window procedures.
LRESULT ButtonProc(HWND, UINT, WPARAM, LPARAM);
LRESULT StaticProc(HWND, UINT, WPARAM, LPARAM);
LRESULT EditProc(HWND, UINT, WPARAM, LPARAM);
LRESULT ProgressProc(HWND, UINT, WPARAM, LPARAM);
void RegisterBuiltInClasses();

// Attaching a CWnd object while its window is being created (set just before
// CreateWindowEx on the creating thread).
void SetPendingAttach(CWnd* wnd);
CWnd* TakePendingAttach();
void AttachObject(HWND hwnd, CWnd* wnd);  // implemented with CWnd

}  // namespace vexaro::gui
