// The committed bitmaps fit the windows that cut and place them: sizes, the
// four state images, masks in the white-is-outside convention, the round
// update mask, and pictures that meet the background without seams.
#include <gtest/gtest.h>

#include <algorithm>
#include <numbers>
#include <vector>
#include <string>

#include "tests/skin/bmp_file.h"

namespace vexaro::skin::test {
namespace {

// Where the windows put the pictures (client pixels).
constexpr int kCloseLeft = 450, kCloseRight = 470, kCloseBottom = 18;
constexpr int kUpdateLeft = 404, kUpdateTop = 161, kUpdateRight = 466, kUpdateBottom = 224;
constexpr int kProgressLeft = 28, kProgressTop = 183;
constexpr int kTextRight = 400, kTextBottom = 115;
constexpr int kDialogCloseWidth = 21, kDialogCloseHeight = 21;

BmpPicture Load(int id) {
  const std::string path = SkinFileOf(id);
  BmpPicture picture;
  std::string error;
  EXPECT_FALSE(path.empty()) << "no file for bitmap " << id;
  EXPECT_TRUE(DecodeBmp24(ReadBytes(path), picture, error)) << path << ": " << error;
  return picture;
}

int Luma(Rgb c) { return (299 * c.r + 587 * c.g + 114 * c.b) / 1000; }
int Chroma(Rgb c) { return std::max({c.r, c.g, c.b}) - std::min({c.r, c.g, c.b}); }

struct Runs {
  int count = 0, first = -1, last = -1;
};

Runs OpaqueRuns(const BmpPicture& mask, int y) {
  Runs runs;
  bool inside = false;
  for (int x = 0; x < mask.width; ++x) {
    bool opaque = !mask.At(x, y).IsWhite();
    if (opaque && !inside) ++runs.count;
    if (opaque && runs.first < 0) runs.first = x;
    if (opaque) runs.last = x;
    inside = opaque;
  }
  return runs;
}

TEST(SkinGeometry, PicturesHaveTheSizesTheWindowsCutThemAt) {
  EXPECT_EQ(Load(132).width, 25);
  EXPECT_EQ(Load(132).height, 84);
  EXPECT_EQ(Load(142).width, 25);
  EXPECT_EQ(Load(142).height, 21);
  EXPECT_EQ(Load(133).width, 63);
  EXPECT_EQ(Load(133).height, 252);
  EXPECT_EQ(Load(135).width, 63);
  EXPECT_EQ(Load(135).height, 63);
  for (int id : {139, 140, 141}) {
    EXPECT_EQ(Load(id).width, 213) << id;
    EXPECT_EQ(Load(id).height, 142) << id;
  }
}

TEST(SkinGeometry, BackgroundHoldsButtonsTextsAndProgressBar) {
  const BmpPicture background = Load(131);
  const BmpPicture back = Load(137);
  const BmpPicture fill = Load(138);
  EXPECT_GE(background.width, kCloseRight);
  EXPECT_GE(background.width, kUpdateRight);
  EXPECT_GE(background.width, kTextRight);
  EXPECT_GE(background.height, kUpdateBottom);
  EXPECT_GE(background.height, kTextBottom);
  EXPECT_EQ(fill.width, back.width);
  EXPECT_EQ(fill.height, back.height);
  // The bar must end before the update button and inside the window.
  EXPECT_LE(kProgressLeft + back.width, kUpdateLeft);
  EXPECT_LE(kProgressTop + back.height, background.height);
  EXPECT_GT(back.width, 100);
}

TEST(SkinGeometry, ProgressPicturesMeetTheBackgroundWithoutSeams) {
  const BmpPicture background = Load(131);
  const BmpPicture back = Load(137);
  const BmpPicture fill = Load(138);
  for (auto [x, y] : {std::pair{0, 0}, {back.width - 1, 0}, {0, back.height - 1}, {back.width - 1, back.height - 1}}) {
    EXPECT_EQ(back.At(x, y), background.At(kProgressLeft + x, kProgressTop + y)) << x << "," << y;
    EXPECT_EQ(fill.At(x, y), background.At(kProgressLeft + x, kProgressTop + y)) << x << "," << y;
  }
  // Along the middle row the fill is clearly brighter than the empty track.
  const int y = back.height / 2;
  for (int x = back.width / 4; x < back.width * 3 / 4; x += 16) {
    EXPECT_GT(Luma(fill.At(x, y)), Luma(back.At(x, y)) + 40) << x;
  }
}

TEST(SkinGeometry, MasksAreOnlyPureWhiteOrBlack) {
  for (int id : {135, 142}) {
    const BmpPicture mask = Load(id);
    for (const Rgb& c : mask.pixels) {
      ASSERT_TRUE(c.IsWhite() || c == (Rgb{0, 0, 0})) << "bitmap " << id << " has a grey pixel";
    }
  }
}

TEST(SkinGeometry, UpdateMaskIsADiscWithWhiteCorners) {
  const BmpPicture mask = Load(135);
  const int n = mask.width;
  for (auto [x, y] : {std::pair{0, 0}, {n - 1, 0}, {0, n - 1}, {n - 1, n - 1}}) {
    EXPECT_TRUE(mask.At(x, y).IsWhite()) << x << "," << y;
  }
  EXPECT_FALSE(mask.At(n / 2, n / 2).IsWhite());
  int area = 0;
  for (int y = 0; y < n; ++y) {
    const Runs runs = OpaqueRuns(mask, y);
    EXPECT_LE(runs.count, 1) << "row " << y << " is not one run";
    if (runs.count == 0) continue;
    EXPECT_EQ(runs.first, n - 1 - runs.last) << "row " << y << " is not centred";
    EXPECT_EQ(OpaqueRuns(mask, n - 1 - y).first, runs.first) << "rows " << y << " and " << n - 1 - y;
    area += runs.last - runs.first + 1;
  }
  // The button window is one pixel narrower than the picture: the disc must
  // fit inside it.
  const Runs middle = OpaqueRuns(mask, n / 2);
  EXPECT_LT(middle.last, kUpdateRight - kUpdateLeft);
  // Rim pixels count when the outline merely touches them: half a pixel more.
  const double radius = (middle.last - middle.first + 1) / 2.0 + 0.5;
  EXPECT_GT(radius, 28.0);
  EXPECT_NEAR(area, std::numbers::pi * radius * radius, 0.02 * area);
}

TEST(SkinGeometry, CloseMaskFitsBothWindowsCloseButtons) {
  const BmpPicture mask = Load(142);
  const int visibleWidth = std::min(kCloseRight - kCloseLeft, kDialogCloseWidth);
  const int visibleHeight = std::min(kCloseBottom, kDialogCloseHeight);
  EXPECT_TRUE(mask.At(mask.width - 1, 0).IsWhite());
  EXPECT_TRUE(mask.At(0, mask.height - 1).IsWhite());
  EXPECT_TRUE(mask.At(mask.width - 1, mask.height - 1).IsWhite());
  EXPECT_FALSE(mask.At(visibleWidth / 2, visibleHeight / 2).IsWhite());
  // Nothing opaque outside the part both windows show, so the button looks
  // the same in each.
  for (int y = 0; y < mask.height; ++y) {
    for (int x = 0; x < mask.width; ++x) {
      if (x >= visibleWidth || y >= visibleHeight) {
        EXPECT_TRUE(mask.At(x, y).IsWhite()) << x << "," << y;
      }
    }
  }
}

// Mean colour measures of one state image inside its mask.
struct StateLook {
  double luma = 0, chroma = 0;
  std::vector<Rgb> pixels;
};

StateLook LookOf(const BmpPicture& strip, const BmpPicture& mask, int state) {
  StateLook look;
  const int h = strip.height / 4;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < strip.width; ++x) {
      if (mask.At(x, y).IsWhite()) continue;
      const Rgb c = strip.At(x, state * h + y);
      look.pixels.push_back(c);
      look.luma += Luma(c);
      look.chroma += Chroma(c);
    }
  }
  look.luma /= static_cast<double>(look.pixels.size());
  look.chroma /= static_cast<double>(look.pixels.size());
  return look;
}

TEST(SkinGeometry, ButtonStatesAreDistinctAndDisabledIsSubdued) {
  enum { kNormal, kHover, kPressed, kDisabled };
  for (auto [strip, mask] : {std::pair{133, 135}, {132, 142}}) {
    const BmpPicture s = Load(strip);
    const BmpPicture m = Load(mask);
    StateLook looks[4] = {LookOf(s, m, kNormal), LookOf(s, m, kHover), LookOf(s, m, kPressed), LookOf(s, m, kDisabled)};
    for (int a = 0; a < 4; ++a) {
      for (int b = a + 1; b < 4; ++b) EXPECT_NE(looks[a].pixels, looks[b].pixels) << strip << ": states " << a << ", " << b;
    }
    // Hover lights the button up; disabled drains its colour.
    EXPECT_GT(looks[kHover].luma, looks[kNormal].luma) << strip;
    EXPECT_LT(looks[kDisabled].chroma, looks[kNormal].chroma + 1) << strip;
    EXPECT_LT(looks[kDisabled].chroma, looks[kHover].chroma) << strip;
  }
}

TEST(SkinGeometry, UpdateButtonRimBlendsIntoTheBackgroundUnderIt) {
  const BmpPicture background = Load(131);
  const BmpPicture strip = Load(133);
  const BmpPicture mask = Load(135);
  // Just outside the disc, every state shows the background it sits on.
  for (int state = 0; state < 4; ++state) {
    for (auto [x, y] : {std::pair{0, 0}, {62, 0}, {0, 62}, {62, 62}, {0, 31}}) {
      ASSERT_TRUE(mask.At(x, y).IsWhite());
      EXPECT_EQ(strip.At(x, state * 63 + y), background.At(kUpdateLeft + x, kUpdateTop + y)) << state << ": " << x << "," << y;
    }
  }
}

}  // namespace
}  // namespace vexaro::skin::test
