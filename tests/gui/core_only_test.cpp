// The window framework's core alone (vexaro_gui without vexaro_gui_system),
// as vexaro-flash and the report channel's hidden window have it: windows,
// messages across threads and timers work on the headless display; there is
// no desktop display even when the environment asks for one, no font, no PNG
// support, and a message box is a line on standard error.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/gui/backend.h"
#include "platform/gui/gui.h"
#include "platform/sys/sys.h"

namespace vexaro::gui {
namespace {

// Before any window: the environment asks for the desktop's display.
bool AskForTheDesktopDisplay() {
#ifdef _WIN32
  _putenv_s("VEXARO_DISPLAY", "sdl");
#else
  setenv("VEXARO_DISPLAY", "sdl", 1);
#endif
  return true;
}
const bool kAsked = AskForTheDesktopDisplay();

template <typename Pred>
bool PumpUntil(Pred pred, std::uint64_t limit_ms = 10000) {
  const std::uint64_t end = sys::NowMs() + limit_ms;
  while (!pred()) {
    if (sys::NowMs() >= end) return false;
    PumpPendingMessages();
    sys::SleepMs(1);
  }
  return true;
}

TEST(CoreOnly, WithoutASystemDisplayWindowsLiveOnTheHeadlessOne) {
  ASSERT_TRUE(kAsked);
  EXPECT_FALSE(HasSystemDisplay());
  EXPECT_STREQ(CurrentDisplay().Name(), "headless");
  EXPECT_TRUE(IsHeadless());
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1920);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 1080);
}

class Hidden : public CWnd {
 public:
  std::atomic<int> received{0};
  int ticks = 0;

 protected:
  LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override {
    if (msg == WM_APP + 1) {
      received += static_cast<int>(w);
      return 42;
    }
    return CWnd::WindowProc(msg, w, l);
  }
  void OnTimer(UINT_PTR) override { ++ticks; }
};

TEST(CoreOnly, AHiddenWindowGetsSentMessagesFromOtherThreadsAndTimers) {
  Hidden hidden;
  ASSERT_TRUE(hidden.CreateEx(0, AfxRegisterWndClass(), "", WS_POPUP, 0, 0, 0, 0, nullptr, 0));
  EXPECT_FALSE(hidden.IsWindowVisible());
  std::atomic<bool> done{false};
  LRESULT answer = 0;
  std::thread sender([&] {
    answer = SendMessage(hidden.m_hWnd, WM_APP + 1, 5, 0);
    PostMessage(hidden.m_hWnd, WM_APP + 1, 2, 0);
    done = true;
  });
  EXPECT_TRUE(PumpUntil([&] { return done.load() && hidden.received == 7; }));
  sender.join();
  EXPECT_EQ(answer, 42);
  hidden.SetTimer(1, 10);
  EXPECT_TRUE(PumpUntil([&] { return hidden.ticks >= 2; }));
  hidden.KillTimer(1);
  EXPECT_TRUE(hidden.DestroyWindow());
}

TEST(CoreOnly, AMessageBoxIsALineOnStandardErrorAnsweredOk) {
  testing::internal::CaptureStderr();
  const int answer = MessageBox(nullptr, "Image size is large the chip size!", "Image Size Error");
  const std::string written = testing::internal::GetCapturedStderr();
  EXPECT_EQ(answer, IDOK);
  EXPECT_EQ(written, "Image Size Error: Image size is large the chip size!\n");
  // No window is left behind.
  EXPECT_EQ(GetActiveWindow(), nullptr);
}

TEST(CoreOnly, TextIsNeitherDrawnNorMeasuredWithoutFonts) {
  HFONT font = CreateFont(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "");
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(font->face, nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size{-1, -1};
  EXPECT_TRUE(GetTextExtentPoint32(dc, "Vexaro", &size));
  EXPECT_EQ(size.cx, 0);
  EXPECT_EQ(size.cy, 0);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(font);
}

TEST(CoreOnly, PngImagesAreRefusedWithAReason) {
  const unsigned char png[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bitmap* out = nullptr;
  std::string error;
  EXPECT_FALSE(DecodePng(png, sizeof png, out, &error));
  EXPECT_EQ(out, nullptr);
  EXPECT_NE(error.find("no PNG support"), std::string::npos) << error;
  error.clear();
  EXPECT_FALSE(WritePngFile(Bitmap(2, 2), "never-written.png", &error));
  EXPECT_NE(error.find("no PNG support"), std::string::npos) << error;
}

}  // namespace
}  // namespace vexaro::gui
