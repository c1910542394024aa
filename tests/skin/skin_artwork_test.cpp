// The artwork's promises that a glance at one picture would not catch: the
// close X is centred and crosses in a single pixel, the progress fill ends in
// the same straight edge wherever the window cuts it, the update button's
// lettering is centred with room around it, no coloured glow lies under the
// button, and the icon has the same plate at every size.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "tests/skin/bmp_file.h"

namespace vexaro::skin::test {
namespace {

constexpr int kCloseStateHeight = 21;
constexpr int kUpdateState = 63;
constexpr int kUpdateLeft = 404, kUpdateTop = 161;

BmpPicture Load(int id) {
  BmpPicture picture;
  std::string error;
  EXPECT_TRUE(DecodeBmp24(ReadBytes(SkinFileOf(id)), picture, error)) << id << ": " << error;
  return picture;
}

int Luma(Rgb c) { return (299 * c.r + 587 * c.g + 114 * c.b) / 1000; }
int Chroma(Rgb c) { return std::max({c.r, c.g, c.b}) - std::min({c.r, c.g, c.b}); }
bool Near(Rgb a, Rgb b) { return std::abs(a.r - b.r) <= 1 && std::abs(a.g - b.g) <= 1 && std::abs(a.b - b.b) <= 1; }

TEST(SkinArtwork, CloseXIsSymmetricAboutItsCentrePixelAndCrossesInOnePixel) {
  const BmpPicture strip = Load(132);
  // The X's centre is pixel (9, 8); rows 1..15 and columns 2..16 hold it
  // (row 0 is the windows' top border).
  for (int state = 0; state < 4; ++state) {
    const int top = state * kCloseStateHeight;
    for (int y = 1; y <= 15; ++y) {
      for (int x = 2; x <= 16; ++x) {
        const Rgb c = strip.At(x, top + y);
        EXPECT_TRUE(Near(c, strip.At(18 - x, top + y))) << "state " << state << " at " << x << "," << y;
        EXPECT_TRUE(Near(c, strip.At(x, top + 16 - y))) << "state " << state << " at " << x << "," << y;
      }
    }
  }
  // At rest: the crossing pixel is as strong as the arms beside it on the
  // diagonals, and the pixels between the arms stay clearly darker.
  const int centre = Luma(strip.At(9, 8));
  EXPECT_NEAR(centre, Luma(strip.At(8, 7)), 25);
  for (auto [x, y] : {std::pair{9, 7}, {9, 9}, {8, 8}, {10, 8}}) EXPECT_LT(Luma(strip.At(x, y)), centre - 60) << x << "," << y;
}

TEST(SkinArtwork, ProgressFillEndsInTheSameStraightEdgeAtEveryCut) {
  const BmpPicture back = Load(137);
  const BmpPicture fill = Load(138);
  // Which rows of a column are lit by the fill.
  auto litRows = [&](int x) {
    std::vector<bool> lit;
    for (int y = 0; y < fill.height; ++y) lit.push_back(Luma(fill.At(x, y)) > Luma(back.At(x, y)) + 30);
    return lit;
  };
  const std::vector<bool> reference = litRows(fill.width / 2);
  EXPECT_GE(std::count(reference.begin(), reference.end(), true), fill.height - 6);
  for (int x = 4; x < fill.width - 4; ++x) EXPECT_EQ(litRows(x), reference) << "a cut at " << x + 1 << " px ends differently";
}

TEST(SkinArtwork, UpdateLetteringIsCentredWithRoomAndNoGlowSurroundsTheButton) {
  const BmpPicture strip = Load(133);
  const BmpPicture mask = Load(135);
  // The ink of the normal state: near-white pixels on the blue face.
  int left = kUpdateState, right = -1, top = kUpdateState, bottom = -1;
  for (int y = 0; y < kUpdateState; ++y) {
    for (int x = 0; x < kUpdateState; ++x) {
      const Rgb c = strip.At(x, y);
      if (c.r < 200 || c.g < 200 || c.b < 200) continue;
      left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = std::max(bottom, y);
    }
  }
  ASSERT_GE(right, 0);
  EXPECT_NEAR((left + right) / 2.0, 31.0, 1.0);
  // Chevron and word as one group, a pixel above the disc's centre.
  EXPECT_NEAR((top + bottom) / 2.0, 30.0, 1.0);
  EXPECT_GE(right - left + 1, 40) << "the word is too small";
  // Room between the ink and the edge of the disc, on every inked row.
  for (int y = top; y <= bottom; ++y) {
    int inkLeft = -1;
    for (int x = 0; x < kUpdateState && inkLeft < 0; ++x) {
      const Rgb c = strip.At(x, y);
      if (c.r >= 200 && c.g >= 200 && c.b >= 200) inkLeft = x;
    }
    if (inkLeft < 0) continue;
    int discLeft = 0;
    while (mask.At(discLeft, y).IsWhite()) ++discLeft;
    EXPECT_GE(inkLeft - discLeft, 6) << "row " << y;
  }
  // Around the disc the background is neutral: no lit ring for the disabled
  // button to sit in.
  const BmpPicture background = Load(131);
  for (int angle = 0; angle < 360; angle += 15) {
    const double a = angle * 3.14159265358979 / 180;
    for (double r : {32.5, 35.0, 38.0}) {
      const int x = kUpdateLeft + static_cast<int>(31.5 + r * std::cos(a));
      const int y = kUpdateTop + static_cast<int>(31.5 + r * std::sin(a));
      if (x >= background.width - 1 || y >= background.height - 1) continue;
      EXPECT_LT(Chroma(background.At(x, y)), 16) << "angle " << angle << ", radius " << r;
    }
  }
}

// Colour of pixel (x, y), top row first, of the icon image of `size`.
Rgb IconPixel(const std::vector<std::uint8_t>& b, int size, int x, int y) {
  const unsigned count = static_cast<unsigned>(b[4] | b[5] << 8);
  for (unsigned i = 0; i < count; ++i) {
    const std::size_t entry = 6 + 16 * i;
    if ((b[entry] == 0 ? 256 : b[entry]) != size) continue;
    const std::size_t offset = b[entry + 12] | b[entry + 13] << 8 | b[entry + 14] << 16 | static_cast<std::size_t>(b[entry + 15]) << 24;
    const std::size_t row = static_cast<std::size_t>(size - 1 - y);
    const std::size_t at = offset + 40 + (row * static_cast<std::size_t>(size) + static_cast<std::size_t>(x)) * 4;
    return {b[at + 2], b[at + 1], b[at]};
  }
  ADD_FAILURE() << "no " << size << " px image";
  return {};
}

TEST(SkinArtwork, IconHasTheDarkPlateUnderTheBlueKeyAtEverySize) {
  const std::vector<std::uint8_t> b = ReadBytes(SkinFileOf(129));
  ASSERT_GE(b.size(), 6u);
  for (int size : {16, 24, 32, 48, 64, 256}) {
    const Rgb plate = IconPixel(b, size, size / 2, size - 2);
    const Rgb key = IconPixel(b, size, size / 2, size / 5);
    EXPECT_LT(Luma(plate), 70) << size << " px: no plate below the key";
    EXPECT_GT(key.b, key.r + 60) << size << " px: the key is not blue";
    EXPECT_GT(Luma(key), Luma(plate) + 50) << size;
  }
}

}  // namespace
}  // namespace vexaro::skin::test
