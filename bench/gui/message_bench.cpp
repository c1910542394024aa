// Message throughput: posts drained by the owner's loop (from the owning
// thread and from another thread) and sends from a worker thread to a window
// whose thread runs its message loop.
#include <benchmark/benchmark.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <future>
#include <mutex>
#include <thread>

#include "platform/gui/gui.h"

namespace vexaro::gui {
namespace {

constexpr UINT kCount = WM_APP + 1;
constexpr UINT kQuit = WM_APP + 2;

// Counts kCount messages and wakes a waiter when the count reaches the goal;
// kQuit ends its thread's message loop.
class Counter : public CWnd {
 public:
  std::atomic<std::uint64_t> handled{0};
  std::atomic<std::uint64_t> goal{0};
  std::mutex m;
  std::condition_variable reached;

  bool Make() { return CreateEx(0, AfxRegisterWndClass(), "", WS_POPUP, 0, 0, 10, 10, nullptr, 0); }

  // Waits (on a worker thread) until the window has handled `target` messages.
  void WaitFor(std::uint64_t target) {
    std::unique_lock lock(m);
    reached.wait(lock, [&] { return handled.load() >= target; });
  }

 protected:
  LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override {
    if (msg == kCount) {
      if (handled.fetch_add(1) + 1 == goal.load()) {
        std::lock_guard lock(m);
        reached.notify_all();
      }
      return static_cast<LRESULT>(w) + 1;
    }
    if (msg == kQuit) {
      PostQuitMessage(0);
      return 0;
    }
    return CWnd::WindowProc(msg, w, l);
  }
};

// A thread that creates a Counter window and runs GetMessage/DispatchMessage
// until the window is told to quit, as the UI thread does.
class OwnerThread {
 public:
  OwnerThread() {
    std::promise<HWND> made;
    auto ready = made.get_future();
    thread_ = std::thread([this, &made] {
      window.Make();
      made.set_value(window.m_hWnd);
      MSG msg;
      while (GetMessage(&msg)) DispatchMessage(&msg);
      window.DestroyWindow();
    });
    hwnd = ready.get();
  }
  ~OwnerThread() {
    gui::PostMessage(hwnd, kQuit);
    thread_.join();
  }
  OwnerThread(const OwnerThread&) = delete;
  OwnerThread& operator=(const OwnerThread&) = delete;

  Counter window;
  HWND hwnd = nullptr;

 private:
  std::thread thread_;
};

// The thread that owns the window posts a batch to it and drains it with its
// own GetMessage loop.
void BM_PostFromOwnerThread(benchmark::State& state) {
  const auto batch = static_cast<std::uint64_t>(state.range(0));
  Counter window;
  if (!window.Make()) return state.SkipWithError("window not created");
  std::uint64_t goal = 0;
  MSG msg;
  for (auto _ : state) {
    for (std::uint64_t i = 0; i < batch; ++i) gui::PostMessage(window.m_hWnd, kCount, i);
    goal += batch;
    while (window.handled.load() < goal && GetMessage(&msg)) DispatchMessage(&msg);
  }
  if (window.handled.load() != goal) state.SkipWithError("messages lost");
  state.SetItemsProcessed(static_cast<std::int64_t>(goal));
  window.DestroyWindow();
}
BENCHMARK(BM_PostFromOwnerThread)->ArgName("batch")->Arg(1)->Arg(1000);

// Another thread posts a batch; the owner's loop drains it while the poster
// waits for the last one to be handled.
void BM_PostFromOtherThread(benchmark::State& state) {
  const auto batch = static_cast<std::uint64_t>(state.range(0));
  OwnerThread owner;
  std::uint64_t goal = 0;
  for (auto _ : state) {
    goal += batch;
    owner.window.goal = goal;
    for (std::uint64_t i = 0; i < batch; ++i) gui::PostMessage(owner.hwnd, kCount, i);
    owner.window.WaitFor(goal);
  }
  if (owner.window.handled.load() != goal) state.SkipWithError("messages lost");
  state.SetItemsProcessed(static_cast<std::int64_t>(goal));
}
BENCHMARK(BM_PostFromOtherThread)->ArgName("batch")->Arg(1)->Arg(1000)->UseRealTime();

// A worker sends to the window of a thread that runs its message loop: the
// handler runs there and the worker waits for each answer.
void BM_SendFromOtherThread(benchmark::State& state) {
  OwnerThread owner;
  WPARAM i = 0;
  for (auto _ : state) {
    if (gui::SendMessage(owner.hwnd, kCount, i) != static_cast<LRESULT>(i) + 1) {
      state.SkipWithError("wrong answer");
      break;
    }
    ++i;
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(i));
}
BENCHMARK(BM_SendFromOtherThread)->UseRealTime();

// For comparison: a send on the owning thread calls the procedure directly.
void BM_SendOnOwnerThread(benchmark::State& state) {
  Counter window;
  if (!window.Make()) return state.SkipWithError("window not created");
  WPARAM i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(gui::SendMessage(window.m_hWnd, kCount, i++));
  state.SetItemsProcessed(static_cast<std::int64_t>(i));
  window.DestroyWindow();
}
BENCHMARK(BM_SendOnOwnerThread);

}  // namespace
}  // namespace vexaro::gui
