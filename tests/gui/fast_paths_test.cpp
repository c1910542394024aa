// The fast paths of painting and region arithmetic against simple models:
// equal-size copies done a row at a time (clipped, from bottom-up sources,
// partly outside the source), and unions of row-banded rectangle lists such as
// window shapes, split into batches at any rectangle.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "platform/gui/gdi.h"

namespace vexaro::gui {
namespace {

HBITMAP Source(int w, int h, bool bottom_up, std::mt19937& random) {
  BITMAPINFO bi;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = bottom_up ? h : -h;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  for (std::uint32_t& px : bmp->pixels) px = static_cast<std::uint32_t>(random()) & 0x7FFFFFFFu;
  return bmp;
}

TEST(RowCopy, MatchesThePixelModelUnderClipAndSourceEdges) {
  std::mt19937 random(5);
  for (int round = 0; round < 40; ++round) {
    HBITMAP src_bmp = Source(13, 9, round % 2 == 0, random), dst_bmp = CreateBitmap32(17, 11);
    for (std::uint32_t& px : dst_bmp->pixels) px = 0xFF123456u;
    HDC src = CreateCompatibleDC(nullptr), dst = CreateCompatibleDC(nullptr);
    SelectObject(src, src_bmp);
    SelectObject(dst, dst_bmp);
    const int cl = static_cast<int>(random() % 8), ct = static_cast<int>(random() % 6);
    IntersectClipRect(dst, cl, ct, cl + 9, ct + 6);
    const int x = static_cast<int>(random() % 20) - 4, y = static_cast<int>(random() % 14) - 3;
    const int sx = static_cast<int>(random() % 16) - 4, sy = static_cast<int>(random() % 12) - 3;
    const std::vector<std::uint32_t> before = dst_bmp->pixels;
    ASSERT_TRUE(BitBlt(dst, x, y, 10, 7, src, sx, sy, SRCCOPY));
    for (int ty = 0; ty < 11; ++ty)
      for (int tx = 0; tx < 17; ++tx) {
        const int fx = sx + tx - x, fy = sy + ty - y;
        const bool inside = tx >= x && tx < x + 10 && ty >= y && ty < y + 7 && tx >= cl && tx < cl + 9 &&
                            ty >= ct && ty < ct + 6 && fx >= 0 && fx < 13 && fy >= 0 && fy < 9;
        const std::uint32_t want =
            inside ? (src_bmp->At(fx, fy) | 0xFF000000u) : before[static_cast<std::size_t>(ty * 17 + tx)];
        ASSERT_EQ(dst_bmp->At(tx, ty), want) << "round " << round << " at " << tx << "," << ty;
      }
    DeleteDC(src);
    DeleteDC(dst);
    DeleteObject(src_bmp);
    DeleteObject(dst_bmp);
  }
}

HRGN RegionOfRects(const std::vector<RECT>& rects) {
  std::vector<unsigned char> buffer(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
  RGNDATAHEADER header;
  header.nCount = static_cast<DWORD>(rects.size());
  std::memcpy(buffer.data(), &header, sizeof header);
  if (!rects.empty()) std::memcpy(buffer.data() + sizeof header, rects.data(), rects.size() * sizeof(RECT));
  return ExtCreateRegion(nullptr, static_cast<DWORD>(buffer.size()),
                         reinterpret_cast<const RGNDATAHEADER*>(buffer.data()));
}

// Random runs per row, as a mask scan yields them, merged batch by batch; the
// batches split rows anywhere and a few of them repeat or overlap earlier rows,
// which must still give the exact union without overlapping rectangles.
TEST(BandedUnion, BatchesOfRowRunsGiveTheExactUnion) {
  constexpr int kW = 64, kH = 48;
  std::mt19937 random(11);
  for (int round = 0; round < 20; ++round) {
    std::vector<char> model(kW * kH, 0);
    std::vector<RECT> runs;
    for (int y = 0; y < kH; ++y)
      for (int x = static_cast<int>(random() % 4); x < kW;) {
        const int end = std::min(kW, x + 1 + static_cast<int>(random() % 6));
        runs.push_back({x, y, end, y + 1});
        x = end + 1 + static_cast<int>(random() % 5);
      }
    if (round % 4 == 3) runs.push_back({5, 10, 40, 30});  // a tall block over earlier rows
    if (round % 4 == 2) runs.insert(runs.end(), runs.begin() + 3, runs.begin() + 40);  // rows again
    HRGN result = nullptr;
    for (std::size_t at = 0; at < runs.size();) {
      const std::size_t n = std::min(runs.size() - at, 1 + static_cast<std::size_t>(random() % 50));
      std::vector<RECT> batch(runs.begin() + static_cast<std::ptrdiff_t>(at),
                              runs.begin() + static_cast<std::ptrdiff_t>(at + n));
      for (const RECT& r : batch)
        for (int y = r.top; y < r.bottom; ++y)
          for (int x = r.left; x < r.right; ++x) model[static_cast<std::size_t>(y * kW + x)] = 1;
      HRGN part = RegionOfRects(batch);
      ASSERT_NE(part, nullptr);
      if (!result) {
        result = part;
      } else {
        ASSERT_NE(CombineRgn(result, result, part, RGN_OR), ERROR);
        DeleteObject(part);
      }
      at += n;
    }
    ASSERT_NE(result, nullptr);
    long long area = 0, covered = 0;
    for (const RECT& r : result->rects) area += static_cast<long long>(r.right - r.left) * (r.bottom - r.top);
    for (int y = -1; y <= kH; ++y)
      for (int x = -1; x <= kW; ++x) {
        const bool in = x >= 0 && y >= 0 && x < kW && y < kH && model[static_cast<std::size_t>(y * kW + x)];
        covered += in;
        ASSERT_EQ(PtInRegion(result, x, y) != FALSE, in) << "round " << round << " at " << x << "," << y;
      }
    EXPECT_EQ(area, covered) << "rectangles overlap in round " << round;
    DeleteObject(result);
  }
}

TEST(BandedUnion, UnionIntoAnotherRegionLeavesTheOperandsAlone) {
  HRGN a = RegionOfRects({{0, 0, 4, 1}, {0, 1, 2, 2}}), b = RegionOfRects({{1, 1, 6, 2}, {0, 2, 3, 3}});
  HRGN dst = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(CombineRgn(dst, a, b, RGN_OR), ERROR);
  EXPECT_EQ(a->rects.size(), 2u);
  EXPECT_EQ(b->rects.size(), 2u);
  EXPECT_TRUE(PtInRegion(dst, 5, 1));
  EXPECT_TRUE(PtInRegion(dst, 0, 1));
  EXPECT_FALSE(PtInRegion(dst, 4, 0));
  ASSERT_NE(CombineRgn(a, a, a, RGN_OR), ERROR);  // a region with itself stays the same
  EXPECT_EQ(a->rects.size(), 2u);
  for (HRGN r : {a, b, dst}) DeleteObject(r);
}

}  // namespace
}  // namespace vexaro::gui
