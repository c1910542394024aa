// The sample dialog on the headless display: rendered to a PNG file and
// checked at chosen points; clicks on the shaped button follow its region.
#include <gtest/gtest.h>

#include <fstream>

#include "tests/gui/gui_test_util.h"
#include "tests/gui/sample_dialog.h"

namespace vexaro::gui {
namespace {

TEST(Demo, SampleDialogRendersToPngWithExpectedPixels) {
  test::SampleDialog d;
  std::unique_ptr<Bitmap> shot;
  std::string error;
  bool saved = false;
  d.on_finished = [&](test::SampleDialog& self) {
    shot = headless::Capture(self.m_hWnd);
    saved = headless::SaveWindowPng(self.m_hWnd, "gui-demo.png", &error);
  };
  ASSERT_EQ(d.DoModal(), IDOK);
  ASSERT_NE(shot, nullptr);
  if (test::PngAvailable()) {
    EXPECT_TRUE(saved) << error;
    EXPECT_TRUE(std::ifstream("gui-demo.png").good());
  }
  // 214 x 124 dialog units at 6 x 13 base units.
  EXPECT_EQ(shot->width, 321);
  EXPECT_EQ(shot->height, 202);
  auto at = [&](int x, int y) { return ColorFromPixel(shot->At(x, y)); };
  EXPECT_EQ(at(300, 5), test::kSkinColor);           // painted background
  EXPECT_EQ(at(26, 28), test::kButtonColor);         // left point of the shaped button
  EXPECT_EQ(at(21, 9), test::kSkinColor);            // its corner, outside the region
  // The progress bar (8,84 .. 206,94 in dialog units) is full: fill colour
  // from the left end to the right end.
  EXPECT_EQ(at(15, 145), RGB(6, 176, 37));
  EXPECT_EQ(at(305, 145), RGB(6, 176, 37));
  // The painted title leaves white ink in its rectangle.
  int ink = 0;
  for (int y = 12; y < 30; ++y)
    for (int x = 80; x < 310; ++x) ink += at(x, y) == RGB(255, 255, 255) ? 1 : 0;
  if (test::FontsAvailable()) {
    EXPECT_GT(ink, 60);
  }
  // Edit field: white with the text's dark ink.
  EXPECT_EQ(at(178, 77), RGB(255, 255, 255));
}

TEST(Demo, ShapedButtonTakesClicksOnlyInsideItsRegion) {
  test::SampleDialog d;
  int clicks_inside = -1, clicks_corner = -1;
  d.on_finished = [&](test::SampleDialog& self) {
    headless::Click(self.m_btnRound, 2, 2);  // corner: the dialog underneath
    test::Pump();
    clicks_corner = self.clicks;
    headless::Click(self.m_btnRound, 20, 20);
    test::Pump();
    clicks_inside = self.clicks;
  };
  d.DoModal();
  EXPECT_EQ(clicks_corner, 0);
  EXPECT_EQ(clicks_inside, 1);
}

}  // namespace
}  // namespace vexaro::gui
