// The main window on the SDL2 display of a virtual X server: a click put
// into SDL's event queue on the skinned update button runs a whole update,
// and what SDL presents afterwards is what the window painted. Run by CTest
// under Xvfb; the screenshot goes to VEXARO_SDL_SCREENSHOT.
#include "tests/app/window_fixture.h"

#include <cstdlib>

#include "platform/gui/display.h"
#include "platform/headless/headless.h"
#include "platform/linux/gui_sdl_display.h"
#include "ui/resource_ids.h"

namespace vexaro::app::test {
namespace {

using namespace gui;

TEST_F(MainWindowTest, UpdateByAnSdlClickIsPresentedAsPainted) {
  if (std::string(CurrentDisplay().Name()) != "sdl") GTEST_SKIP() << "no X display for SDL";
  StartKeyboard(kOlderVersion);
  OpenWindow();
  ASSERT_TRUE(sdl::Click(window_->m_hWnd, 435, 192));
  ASSERT_TRUE(RunUntil([&] { return window_->Controller().LastResultKind() == updater::ResultKind::Success; },
                       kUpdateLimitMs));
  ASSERT_TRUE(RunUntil([&] { return FieldText(ui::kIdcCurrentVersion) == kPackageVersion; }));
  RunFor(1000);

  std::unique_ptr<Bitmap> painted = headless::Capture(window_->m_hWnd);
  ASSERT_TRUE(painted);
  Bitmap shown(0, 0);
  const bool presented = RunUntil([&] {
    return sdl::Screenshot(window_->m_hWnd, shown) && shown.width == painted->width &&
           shown.height == painted->height &&
           ColorFromPixel(shown.At(250, 100)) == ColorFromPixel(painted->At(250, 100));
  });
  ASSERT_TRUE(presented) << "SDL never presented the updated window";
  for (auto [x, y] : {std::pair{5, 5}, {435, 192}, {260, 104}, {100, 190}, {460, 9}})
    EXPECT_EQ(ColorFromPixel(shown.At(x, y)), ColorFromPixel(painted->At(x, y))) << x << "," << y;
  std::string error;
  if (const char* out = std::getenv("VEXARO_SDL_SCREENSHOT")) {
    EXPECT_TRUE(headless::SavePng(shown, out, &error)) << error;
  }
}

}  // namespace
}  // namespace vexaro::app::test
