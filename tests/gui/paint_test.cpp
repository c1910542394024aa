// Painting: one paint message after invalidation and none without, erase
// requests, children painted over their parent, clipping by window regions.
#include <gtest/gtest.h>

#include "tests/gui/gui_test_util.h"

namespace vexaro::gui {
namespace {

class Painter : public CWnd {
 public:
  COLORREF color = RGB(200, 0, 0);
  int paints = 0;
  int erases = 0;
  BOOL erase_result = TRUE;
  RECT last_paint{};

 protected:
  void OnPaint() override {
    CPaintDC dc(this);
    ++paints;
    last_paint = dc.m_ps.rcPaint;
    RECT r;
    GetClientRect(&r);
    dc.FillSolidRect(&r, color);
  }
  BOOL OnEraseBkgnd(CDC*) override {
    ++erases;
    return erase_result;
  }
};

class Paint : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(top.CreateEx(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 100, 60, nullptr, 0));
    top.color = RGB(0, 0, 200);
    ASSERT_TRUE(child.CreateEx(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 20, 10, 30, 30, top, 1));
    test::Pump();
  }
  void TearDown() override { top.DestroyWindow(); }
  Painter top, child;
};

TEST_F(Paint, PaintsOnlyAfterInvalidation) {
  EXPECT_EQ(top.paints, 1);
  EXPECT_EQ(child.paints, 1);
  test::Pump();
  EXPECT_EQ(top.paints, 1);  // nothing invalid: no paint
  RECT r{60, 40, 70, 50};
  top.InvalidateRect(&r, FALSE);
  top.InvalidateRect(&r, FALSE);  // several invalidations, one paint
  test::Pump();
  EXPECT_EQ(top.paints, 2);
  EXPECT_EQ(child.paints, 1);  // the child lies elsewhere
  EXPECT_EQ(top.last_paint.left, 60);
  EXPECT_EQ(top.last_paint.bottom, 50);
}

TEST_F(Paint, EraseIsRequestedOnlyWithTheEraseFlag) {
  const int before = top.erases;
  top.Invalidate(FALSE);
  test::Pump();
  EXPECT_EQ(top.erases, before);
  top.Invalidate(TRUE);
  test::Pump();
  EXPECT_EQ(top.erases, before + 1);
}

TEST_F(Paint, ChildrenArePaintedOverTheParent) {
  EXPECT_EQ(headless::PixelAt(top, 5, 5), RGB(0, 0, 200));
  EXPECT_EQ(headless::PixelAt(top, 25, 15), RGB(200, 0, 0));
  top.Invalidate(FALSE);  // the parent's paint also repaints the child above it
  test::Pump();
  EXPECT_EQ(headless::PixelAt(top, 25, 15), RGB(200, 0, 0));
}

TEST_F(Paint, WindowRegionClipsPainting) {
  child.color = RGB(0, 180, 0);
  SetWindowRgn(child, CreateRectRgn(0, 0, 10, 30), TRUE);
  top.Invalidate(FALSE);
  test::Pump();
  EXPECT_EQ(headless::PixelAt(top, 25, 15), RGB(0, 180, 0));  // inside the region
  EXPECT_EQ(headless::PixelAt(top, 45, 15), RGB(0, 0, 200));  // outside: the parent shows
}

TEST_F(Paint, HiddenWindowsAreNotPaintedAndShowingRepaints) {
  child.ShowWindow(SW_HIDE);
  test::Pump();
  EXPECT_EQ(headless::PixelAt(top, 25, 15), RGB(0, 0, 200));
  const int before = child.paints;
  child.Invalidate();
  test::Pump();
  EXPECT_EQ(child.paints, before);
  child.ShowWindow(SW_SHOW);
  test::Pump();
  EXPECT_EQ(child.paints, before + 1);
  EXPECT_EQ(headless::PixelAt(top, 25, 15), RGB(200, 0, 0));
}

TEST_F(Paint, InvalidationFromAnotherThreadWakesTheOwner) {
  std::thread other([&] { top.Invalidate(FALSE); });
  other.join();
  const int before = top.paints;
  MSG m;
  ASSERT_TRUE(GetMessage(&m));  // does not block: a paint is due
  EXPECT_EQ(m.message, WM_PAINT);
  DispatchMessage(&m);
  EXPECT_EQ(top.paints, before + 1);
}

}  // namespace
}  // namespace vexaro::gui
