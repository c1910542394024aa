// The sample dialog on the SDL2 display of a real (virtual) X server: it is
// shown, painted, its progress bar moved by the worker, and what SDL presents
// equals what the framework painted. Run by CTest under Xvfb.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/gui/gui.h"
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

}  // namespace
}  // namespace vexaro::gui
