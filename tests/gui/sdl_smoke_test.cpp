// The sample dialog on the SDL2 display of a real (virtual) X server: it is
// shown, painted, its progress bar moved by the worker, and what SDL presents
// equals what the framework painted. Run by CTest under Xvfb.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>

#include "platform/gui/gui.h"
#include "platform/gui/input.h"
#include "platform/headless/headless.h"
#include "platform/linux/gui_sdl_display.h"
#include "platform/sys/sys.h"
#include "tests/gui/sample_dialog.h"

namespace vexaro::gui {
namespace {

TEST(SdlDisplay, SampleDialogIsPresentedAsPainted) {
  if (std::string(CurrentDisplay().Name()) != "sdl") GTEST_SKIP() << "no X display for SDL";
  test::SampleDialog d;
  std::unique_ptr<Bitmap> painted;
  Bitmap shown(0, 0);
  bool got = false;
  d.on_finished = [&](test::SampleDialog& self) {
    painted = headless::Capture(self.m_hWnd);
    // Present happens when the thread is idle; give the SDL thread time.
    PumpPendingMessages();
    for (int i = 0; i < 200 && !got; ++i) {
      sys::SleepMs(10);
      got = sdl::Screenshot(self.m_hWnd, shown) && shown.width == painted->width &&
            ColorFromPixel(shown.At(15, 145)) == RGB(6, 176, 37);
    }
    // A click through SDL's event queue reaches the shaped button.
    if (sdl::Click(self.m_hWnd, 26, 28)) {
      for (int i = 0; i < 200 && self.clicks == 0; ++i) {
        PumpPendingMessages();
        sys::SleepMs(5);
      }
    }
    std::string error;
    if (const char* out = std::getenv("VEXARO_SDL_SCREENSHOT")) headless::SavePng(shown, out, &error);
  };
  ASSERT_EQ(d.DoModal(), IDOK);
  ASSERT_TRUE(got) << "SDL never presented the finished dialog";
  ASSERT_EQ(shown.height, painted->height);
  for (auto [x, y] : {std::pair{300, 5}, {26, 28}, {21, 9}, {15, 145}, {178, 77}, {100, 20}})
    EXPECT_EQ(ColorFromPixel(shown.At(x, y)), ColorFromPixel(painted->At(x, y))) << x << "," << y;
  EXPECT_GT(sdl::PresentCount(), 0);
  EXPECT_EQ(d.clicks, 1);
}

// Pumps the dialog's messages until pred holds, at most limit_ms.
template <typename Pred>
bool PumpUntil(Pred pred, std::uint64_t limit_ms) {
  const std::uint64_t end = sys::NowMs() + limit_ms;
  while (!pred() && sys::NowMs() < end) {
    PumpPendingMessages();
    sys::SleepMs(5);
  }
  return pred();
}

// Long enough for the X server, SDL's thread and the dialog's thread to pass
// an event along on a loaded machine; the checks end as soon as it arrived.
constexpr std::uint64_t kDeliveryLimitMs = 3000;

LONG WindowLeft(HWND h) {
  RECT r;
  GetWindowRect(h, &r);
  return r.left;
}

TEST(SdlDisplay, SlowDragMovesTheWindowTheWholeWay) {
  if (std::string(CurrentDisplay().Name()) != "sdl") GTEST_SKIP() << "no X display for SDL";
  test::SampleDialog d;
  LONG start = 0, afterFirst = 0, afterSecond = 0;
  d.on_finished = [&](test::SampleDialog& self) {
    // A press on the dialog's background starts a caption drag; the pointer
    // then moves right twice by 20 pixels, waiting for the window each time.
    RECT r;
    self.GetWindowRect(&r);
    start = r.left;
    const POINT grab{300, 5};
    sdl::MovePointer(r.left + grab.x, r.top + grab.y);
    PumpUntil([] { return false; }, 100);
    sdl::Press(self.m_hWnd, grab.x, grab.y, true);
    PumpUntil([] { return input::CaptionDragActive(); }, kDeliveryLimitMs);
    sdl::MovePointer(r.left + grab.x + 20, r.top + grab.y);
    PumpUntil([&] { return WindowLeft(self.m_hWnd) == start + 20; }, kDeliveryLimitMs);
    afterFirst = WindowLeft(self.m_hWnd);
    sdl::MovePointer(r.left + grab.x + 40, r.top + grab.y);
    PumpUntil([&] { return WindowLeft(self.m_hWnd) == start + 40; }, kDeliveryLimitMs);
    afterSecond = WindowLeft(self.m_hWnd);
    sdl::Press(self.m_hWnd, grab.x, grab.y, false);
    PumpUntil([] { return !input::CaptionDragActive(); }, kDeliveryLimitMs);
  };
  ASSERT_EQ(d.DoModal(), IDOK);
  EXPECT_EQ(afterFirst, start + 20);
  EXPECT_EQ(afterSecond, start + 40);
}

class CancelCounting : public test::SampleDialog {
 public:
  int cancels = 0;
  void OnCancel() override {
    ++cancels;
    test::SampleDialog::OnCancel();
  }
};

TEST(SdlDisplay, TerminationSignalClosesTheWindowLikeTheUser) {
  if (std::string(CurrentDisplay().Name()) != "sdl") GTEST_SKIP() << "no X display for SDL";
  CancelCounting d;
  d.on_finished = [&](test::SampleDialog&) {
    // SDL turns SIGTERM into its quit event.
    std::raise(SIGTERM);
    PumpUntil([&] { return d.cancels > 0; }, kDeliveryLimitMs);
  };
  d.DoModal();
  EXPECT_EQ(d.cancels, 1);
}

}  // namespace
}  // namespace vexaro::gui
