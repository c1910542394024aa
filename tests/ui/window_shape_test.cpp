// Regions from mask bitmaps: one run per row, batches merged into the same
// union as one go, the key range and its byte order, and shaped windows.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/ui/ui_test_util.h"
#include "ui/resource_ids.h"
#include "ui/window_shape.h"

namespace vexaro::ui {
namespace {

using namespace gui;

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

struct Owned {
  explicit Owned(HGDIOBJ o) : obj(o) {}
  ~Owned() { DeleteObject(obj); }
  HGDIOBJ obj;
};

// Every pixel of bmp: inside the region exactly when opaque(x, y).
template <typename Opaque>
void ExpectRegionMatches(HRGN rgn, HBITMAP bmp, Opaque opaque) {
  int wrong = 0;
  for (int y = 0; y < bmp->height; ++y)
    for (int x = 0; x < bmp->width; ++x)
      if ((PtInRegion(rgn, x, y) != FALSE) != opaque(x, y)) ++wrong;
  EXPECT_EQ(wrong, 0);
}

// The union of all runs in one region, built without batches.
HRGN OneGoUnion(const std::vector<RECT>& runs) {
  std::vector<unsigned char> buf(sizeof(RGNDATAHEADER) + runs.size() * sizeof(RECT));
  RGNDATAHEADER h;
  h.nCount = static_cast<DWORD>(runs.size());
  std::memcpy(buf.data(), &h, sizeof h);
  std::memcpy(buf.data() + sizeof h, runs.data(), runs.size() * sizeof(RECT));
  return ExtCreateRegion(nullptr, static_cast<DWORD>(buf.size()), reinterpret_cast<const RGNDATAHEADER*>(buf.data()));
}

TEST(RegionFromBitmap, DiscGivesOneRunPerRow) {
  constexpr int kSize = 41, kR = 20;
  HBITMAP disc = test::SolidBitmap(kSize, kSize, kWhite);
  Owned own_disc(disc);
  auto inside = [](int x, int y) { return (x - kR) * (x - kR) + (y - kR) * (y - kR) <= kR * kR; };
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x)
      if (inside(x, y)) test::SetPixel(disc, x, y, kBlack);
  HRGN rgn = BuildRegionFromBitmap(disc, kWhite, 0);
  ASSERT_NE(rgn, nullptr);
  Owned own_rgn(rgn);
  ExpectRegionMatches(rgn, disc, inside);
  ASSERT_EQ(rgn->rects.size(), static_cast<std::size_t>(kSize));
  for (const RECT& r : rgn->rects) EXPECT_EQ(r.bottom - r.top, 1);
  RECT box;
  GetRgnBox(rgn, &box);
  const RECT expected{0, 0, kSize, kSize};
  EXPECT_TRUE(EqualRect(&box, &expected));
}

TEST(RegionFromBitmap, ManyRunsMergedInBatchesEqualTheUnionInOneGo) {
  // 75 runs per row: the 2,000th run falls in the middle of a row, and the
  // last batch is partial.
  constexpr int kW = 151, kH = 40;
  HBITMAP comb = test::SolidBitmap(kW, kH, kWhite);
  Owned own(comb);
  std::vector<RECT> runs;
  for (int y = 0; y < kH; ++y)
    for (int x = 1; x < kW; x += 2) {
      test::SetPixel(comb, x, y, RGB(40, 40, 40));
      runs.push_back({x, y, x + 1, y + 1});
    }
  ASSERT_GT(runs.size(), static_cast<std::size_t>(kRegionBatchRects));
  HRGN batched = BuildRegionFromBitmap(comb, kWhite, 0);
  ASSERT_NE(batched, nullptr);
  Owned own_b(batched);
  HRGN whole = OneGoUnion(runs);
  ASSERT_NE(whole, nullptr);
  Owned own_w(whole);
  EXPECT_TRUE(EqualRgn(batched, whole));
  ExpectRegionMatches(batched, comb, [](int x, int) { return x % 2 == 1; });
}

TEST(RegionFromBitmap, NoWhiteGivesTheFullRectangle) {
  HBITMAP bmp = test::SolidBitmap(37, 23, RGB(128, 0, 255));
  Owned own(bmp);
  HRGN rgn = BuildRegionFromBitmap(bmp, kWhite, 0);
  ASSERT_NE(rgn, nullptr);
  Owned own_rgn(rgn);
  HRGN full = CreateRectRgn(0, 0, 37, 23);
  Owned own_full(full);
  EXPECT_TRUE(EqualRgn(rgn, full));
}

TEST(RegionFromBitmap, AllWhiteGivesAnEmptyRegion) {
  HBITMAP bmp = test::SolidBitmap(30, 30, kWhite);
  Owned own(bmp);
  HRGN rgn = BuildRegionFromBitmap(bmp, kWhite, 0);
  ASSERT_NE(rgn, nullptr);
  Owned own_rgn(rgn);
  EXPECT_TRUE(rgn->rects.empty());
}

TEST(RegionFromBitmap, OnlyPureWhiteIsTransparentAtToleranceZero) {
  HBITMAP bmp = test::SolidBitmap(6, 1, kWhite);
  Owned own(bmp);
  test::SetPixel(bmp, 1, 0, RGB(254, 255, 255));
  test::SetPixel(bmp, 2, 0, RGB(255, 254, 255));
  test::SetPixel(bmp, 3, 0, RGB(255, 255, 254));
  test::SetPixel(bmp, 5, 0, RGB(254, 254, 254));
  HRGN rgn = BuildRegionFromBitmap(bmp, kWhite, 0);
  ASSERT_NE(rgn, nullptr);
  Owned own_rgn(rgn);
  ExpectRegionMatches(rgn, bmp, [](int x, int) { return x == 1 || x == 2 || x == 3 || x == 5; });
}

TEST(RegionFromBitmap, KeyRedIsComparedWithTheBlueByte) {
  const COLORREF key = RGB(10, 100, 200), tolerance = RGB(5, 5, 5);
  HBITMAP bmp = test::SolidBitmap(5, 1, kBlack);
  Owned own(bmp);
  test::SetPixel(bmp, 0, 0, RGB(10, 100, 200));   // the key colour itself
  test::SetPixel(bmp, 1, 0, RGB(200, 100, 10));   // red and blue swapped
  test::SetPixel(bmp, 2, 0, RGB(205, 105, 15));   // the top of each range
  test::SetPixel(bmp, 3, 0, RGB(206, 100, 10));   // one past it
  test::SetPixel(bmp, 4, 0, RGB(200, 99, 10));    // one below the green range
  HRGN rgn = BuildRegionFromBitmap(bmp, key, tolerance);
  ASSERT_NE(rgn, nullptr);
  Owned own_rgn(rgn);
  ExpectRegionMatches(rgn, bmp, [](int x, int) { return x != 1 && x != 2; });
}

TEST(RegionFromBitmap, ToleranceIsCappedAt255) {
  HBITMAP bmp = test::SolidBitmap(3, 1, RGB(250, 250, 250));
  Owned own(bmp);
  test::SetPixel(bmp, 1, 0, RGB(249, 250, 250));
  HRGN rgn = BuildRegionFromBitmap(bmp, RGB(250, 250, 250), RGB(200, 200, 200));
  ASSERT_NE(rgn, nullptr);
  Owned own_rgn(rgn);
  ExpectRegionMatches(rgn, bmp, [](int x, int) { return x == 1; });
}

TEST(RegionFromBitmap, NoBitmapGivesNoRegion) {
  EXPECT_EQ(BuildRegionFromBitmap(nullptr, kWhite, 0), nullptr);
  Brush not_a_bitmap(kWhite);
  EXPECT_EQ(BuildRegionFromBitmap(reinterpret_cast<HBITMAP>(static_cast<HGDIOBJ>(&not_a_bitmap)), kWhite, 0),
            nullptr);
}

TEST(RegionFromBitmap, UpdateButtonMaskIsItsDisc) {
  HBITMAP mask = LoadBitmap(kIdbUpdateButtonMask);
  ASSERT_NE(mask, nullptr);
  Owned own(mask);
  HRGN rgn = BuildRegionFromBitmap(mask, kWhite, 0);
  ASSERT_NE(rgn, nullptr);
  Owned own_rgn(rgn);
  ExpectRegionMatches(rgn, mask, [&](int x, int y) { return test::PixelOf(mask, x, y) != kWhite; });
  EXPECT_FALSE(PtInRegion(rgn, 0, 0));
  EXPECT_TRUE(PtInRegion(rgn, 31, 31));
}

class WindowShape : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host.Open(200, 200, 120, 80));
    ASSERT_TRUE(child.CreateEx(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_NOTIFY, 10, 10, 41, 41, host, 3));
    SetMessageBoxHook([this](std::string_view text, std::string_view caption, UINT) {
      boxes.emplace_back(std::string(text) + "|" + std::string(caption));
      return IDOK;
    });
    test::Pump();
  }
  void TearDown() override {
    SetMessageBoxHook({});
    host.DestroyWindow();
    test::Pump();
  }
  test::Host host;
  CWnd child;
  std::vector<std::string> boxes;
};

TEST_F(WindowShape, ClicksOnWhiteCornersGoToTheWindowUnderneath) {
  HBITMAP mask = test::SolidBitmap(41, 41, kWhite);
  Owned own(mask);
  for (int y = 0; y < 41; ++y)
    for (int x = 0; x < 41; ++x)
      if ((x - 20) * (x - 20) + (y - 20) * (y - 20) <= 400) test::SetPixel(mask, x, y, kBlack);
  ASSERT_TRUE(ApplyWindowShape(child, mask));
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(WindowFromPoint({200 + 10 + 1, 200 + 10 + 1}), host.m_hWnd);
  EXPECT_EQ(WindowFromPoint({200 + 10 + 20, 200 + 10 + 20}), child.m_hWnd);
  headless::Click(host, 11, 11);
  test::Pump();
  EXPECT_EQ(host.left_downs, 1);
}

TEST_F(WindowShape, NoMaskShowsErrorAndKeepsTheShape) {
  ASSERT_EQ(SetWindowRgn(child, CreateRectRgn(0, 0, 5, 5), TRUE), 1);
  EXPECT_FALSE(ApplyWindowShape(child, nullptr));
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], "error|Error");
  Region now;
  ASSERT_NE(GetWindowRgn(child, &now), ERROR);
  EXPECT_EQ(now.Bounds().right, 5);
}

TEST_F(WindowShape, RefusedWindowShowsError) {
  HBITMAP mask = test::SolidBitmap(4, 4, kBlack);
  Owned own(mask);
  HWND gone = child.m_hWnd;
  child.DestroyWindow();
  test::Pump();
  EXPECT_FALSE(ApplyWindowShape(gone, mask));
  EXPECT_EQ(boxes.size(), 1u);
}

}  // namespace
}  // namespace vexaro::ui
