// Region union against a pixel-by-pixel model: random rectangles, overlapping,
// tall, negative and merged in batches, must cover exactly the pixels of the
// model with non-overlapping rectangles.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "platform/gui/gdi.h"

namespace vexaro::gui {
namespace {

constexpr int kMin = -40, kMax = 88;  // a grid that crosses band and zero boundaries

RECT RandomRect(std::mt19937& random) {
  std::uniform_int_distribution<int> coord(kMin, kMax);
  int l = coord(random), t = coord(random);
  int w = 1 + static_cast<int>(random() % 30);
  int h = random() % 4 == 0 ? 1 + static_cast<int>(random() % 120) : 1 + static_cast<int>(random() % 3);
  return {l, t, std::min(l + w, kMax), std::min(t + h, kMax)};
}

HRGN RegionOf(const std::vector<RECT>& rects) {
  std::vector<unsigned char> buffer(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
  RGNDATAHEADER header;
  header.nCount = static_cast<DWORD>(rects.size());
  std::memcpy(buffer.data(), &header, sizeof header);
  std::memcpy(buffer.data() + sizeof header, rects.data(), rects.size() * sizeof(RECT));
  return ExtCreateRegion(nullptr, static_cast<DWORD>(buffer.size()),
                         reinterpret_cast<const RGNDATAHEADER*>(buffer.data()));
}

TEST(RegionUnion, CoversExactlyTheModelWithoutOverlaps) {
  std::mt19937 random(77);
  for (int round = 0; round < 12; ++round) {
    const int side = kMax - kMin;
    std::vector<char> model(static_cast<std::size_t>(side * side), 0);
    HRGN result = CreateRectRgn(0, 0, 0, 0);
    for (int batch = 0; batch < 5; ++batch) {
      std::vector<RECT> rects;
      for (int i = 0; i < 60; ++i) {
        RECT r = RandomRect(random);
        if (r.right <= r.left || r.bottom <= r.top) continue;
        rects.push_back(r);
        for (int y = r.top; y < r.bottom; ++y)
          for (int x = r.left; x < r.right; ++x) model[static_cast<std::size_t>((y - kMin) * side + (x - kMin))] = 1;
      }
      HRGN part = RegionOf(rects);
      ASSERT_NE(part, nullptr);
      ASSERT_NE(CombineRgn(result, result, part, RGN_OR), ERROR);
      DeleteObject(part);
    }
    long long covered = 0, area = 0;
    for (int y = kMin; y < kMax; ++y) {
      for (int x = kMin; x < kMax; ++x) {
        bool in = model[static_cast<std::size_t>((y - kMin) * side + (x - kMin))] != 0;
        covered += in;
        ASSERT_EQ(PtInRegion(result, x, y) != FALSE, in) << "round " << round << " at " << x << "," << y;
      }
    }
    for (const RECT& r : result->rects) area += static_cast<long long>(r.right - r.left) * (r.bottom - r.top);
    EXPECT_EQ(area, covered) << "rectangles overlap in round " << round;
    DeleteObject(result);
  }
}

}  // namespace
}  // namespace vexaro::gui
