// Queues: post order, sends within and across threads (both directions at
// once without deadlock), the quit message, and handles of destroyed windows.
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

#include "tests/gui/gui_test_util.h"

namespace vexaro::gui {
namespace {

constexpr UINT kPing = WM_APP + 1;
constexpr UINT kPong = WM_APP + 2;

// A window whose procedure records what it receives and answers kPing by
// sending kPong to its peer (a window on another thread).
class Echo : public CWnd {
 public:
  std::vector<std::pair<UINT, WPARAM>> got;
  std::atomic<HWND> peer{nullptr};
  std::thread::id handled_on;

  bool Make() { return CreateEx(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, 0); }

 protected:
  LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override {
    if (msg >= WM_APP) {
      got.emplace_back(msg, w);
      handled_on = std::this_thread::get_id();
      if (msg == kPing && peer.load()) return 100 + gui::SendMessage(peer.load(), kPong, w, 0);
      if (msg == kPong) return static_cast<LRESULT>(w) * 2;
      return 7;
    }
    return CWnd::WindowProc(msg, w, l);
  }
};

TEST(Messages, PostedMessagesArriveInOrder) {
  Echo e;
  ASSERT_TRUE(e.Make());
  for (WPARAM i = 0; i < 20; ++i) ASSERT_TRUE(e.PostMessage(WM_APP + 5, i));
  test::Pump();
  ASSERT_EQ(e.got.size(), 20u);
  for (WPARAM i = 0; i < 20; ++i) EXPECT_EQ(e.got[i].second, i);
  e.DestroyWindow();
}

TEST(Messages, SendOnOwnThreadCallsTheProcedureDirectly) {
  Echo e;
  ASSERT_TRUE(e.Make());
  EXPECT_EQ(e.SendMessage(WM_APP + 9, 3), 7);
  ASSERT_EQ(e.got.size(), 1u);
  EXPECT_EQ(e.handled_on, std::this_thread::get_id());
  e.DestroyWindow();
}

// The UI thread sends to a window of a monitor thread, whose handler sends
// back to the UI thread while the UI thread is still waiting for its answer.
TEST(Messages, CrossThreadSendsInBothDirectionsDoNotDeadlock) {
  Echo ui;
  ASSERT_TRUE(ui.Make());
  std::promise<HWND> made;
  std::atomic<bool> stop{false};
  Echo* remote_ptr = nullptr;
  std::thread monitor([&] {
    Echo remote;
    remote.Make();
    remote.peer = ui.m_hWnd;
    remote_ptr = &remote;
    made.set_value(remote.m_hWnd);
    MSG m;
    while (!stop && GetMessage(&m)) DispatchMessage(&m);
    remote.DestroyWindow();
  });
  HWND remote = made.get_future().get();
  ui.peer = remote;
  // UI -> monitor -> UI (nested), answered with 100 + 2*w.
  for (WPARAM i = 1; i <= 50; ++i) EXPECT_EQ(gui::SendMessage(remote, kPing, i), 100 + static_cast<LRESULT>(2 * i));
  EXPECT_EQ(ui.got.size(), 50u);
  EXPECT_EQ(ui.handled_on, std::this_thread::get_id());
  // And the other direction at the same time: the monitor sends to the UI
  // window, which sends back while the monitor waits.
  std::atomic<LRESULT> from_monitor{0};
  std::thread sender([&] { from_monitor = gui::SendMessage(ui.m_hWnd, kPing, 21); });
  EXPECT_TRUE(test::PumpUntil([&] { return from_monitor.load() != 0; }));
  sender.join();
  EXPECT_EQ(from_monitor.load(), 100 + 42);
  stop = true;
  gui::PostMessage(remote, WM_NULL);
  monitor.join();
  (void)remote_ptr;
  ui.DestroyWindow();
}

TEST(Messages, ConcurrentSendersKeepTheirOwnPostOrder) {
  Echo ui;
  ASSERT_TRUE(ui.Make());
  constexpr int kThreads = 4, kPosts = 200;
  std::vector<std::thread> senders;
  std::atomic<int> sent_ok{0};
  for (int t = 0; t < kThreads; ++t)
    senders.emplace_back([&, t] {
      for (int i = 0; i < kPosts; ++i) {
        gui::PostMessage(ui.m_hWnd, WM_APP + 10, static_cast<WPARAM>(t * 1000 + i));
        if (i % 20 == 0 && gui::SendMessage(ui.m_hWnd, WM_APP + 11, 0) == 7) ++sent_ok;
      }
    });
  const std::size_t expected = kThreads * kPosts + kThreads * (kPosts / 20);
  EXPECT_TRUE(test::PumpUntil([&] { return ui.got.size() == expected; }));
  for (auto& s : senders) s.join();
  EXPECT_EQ(sent_ok.load(), kThreads * (kPosts / 20));
  std::vector<int> last(kThreads, -1);
  for (auto [msg, w] : ui.got) {
    if (msg != WM_APP + 10) continue;
    const int t = static_cast<int>(w / 1000), i = static_cast<int>(w % 1000);
    EXPECT_EQ(i, last[t] + 1);
    last[t] = i;
  }
  ui.DestroyWindow();
}

TEST(Messages, SendToAThreadThatEndedReturnsZero) {
  HWND orphan = nullptr;
  std::thread t([&] { orphan = CreateWindowEx(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, 0); });
  t.join();
  EXPECT_FALSE(IsWindow(orphan));  // its thread took it along
  EXPECT_EQ(gui::SendMessage(orphan, WM_APP, 1, 2), 0);
  EXPECT_FALSE(gui::PostMessage(orphan, WM_APP));
}

TEST(Messages, SendTimeoutGivesUpOnABusyThread) {
  std::promise<HWND> made;
  std::atomic<bool> release{false};
  std::thread busy([&] {
    HWND h = CreateWindowEx(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, 0);
    made.set_value(h);
    while (!release) sys::SleepMs(1);  // not pumping
    test::Pump();
    DestroyWindow(h);
  });
  HWND h = made.get_future().get();
  LRESULT r = -5;
  EXPECT_EQ(SendMessageTimeout(h, WM_APP, 0, 0, SMTO_NORMAL, 30, &r), 0);
  EXPECT_EQ(r, -5);
  release = true;
  busy.join();
}

TEST(Messages, DestroyedHandlesStayComparableAndAreRefused) {
  HWND a = CreateWindowEx(0, "STATIC", "a", WS_POPUP, 0, 0, 5, 5, nullptr, 0);
  HWND copy = a;
  ASSERT_TRUE(DestroyWindow(a));
  HWND b = CreateWindowEx(0, "STATIC", "b", WS_POPUP, 0, 0, 5, 5, nullptr, 0);
  EXPECT_EQ(copy, a);
  EXPECT_NE(a, b);  // never reused
  EXPECT_FALSE(IsWindow(a));
  EXPECT_FALSE(SetWindowText(a, "x"));
  EXPECT_FALSE(gui::PostMessage(a, WM_APP));
  EXPECT_FALSE(ShowWindow(a, SW_SHOW));
  EXPECT_EQ(SetTimer(a, 1, 10), 0u);
  EXPECT_FALSE(DestroyWindow(a));
  EXPECT_EQ(GetWindowText(a), "");
  DestroyWindow(b);
}

TEST(Messages, QuitEndsGetMessageAfterPostedMessages) {
  Echo e;
  ASSERT_TRUE(e.Make());
  e.PostMessage(WM_APP + 1, 1);
  PostQuitMessage(33);
  MSG m;
  ASSERT_TRUE(GetMessage(&m));
  EXPECT_EQ(m.message, WM_APP + 1);
  EXPECT_FALSE(GetMessage(&m));
  EXPECT_EQ(m.message, WM_QUIT);
  EXPECT_EQ(m.wParam, 33u);
  e.DestroyWindow();
}

}  // namespace
}  // namespace vexaro::gui
