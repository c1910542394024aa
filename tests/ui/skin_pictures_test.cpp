// The skin as the headless display shows it: both skinned buttons of the main
// window in each state over the background, and the three result dialogs,
// checked at chosen pixels. With VEXARO_SKIN_PICTURES set to a directory the
// pictures are also written there as PNG files (docs/skin-pictures/).
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/ui/ui_test_util.h"
#include "ui/bitmap_button.h"
#include "ui/resource_ids.h"
#include "ui/result_dialog.h"
#include "ui/window_shape.h"

namespace vexaro::ui {
namespace {

using namespace gui;

void SaveIfAsked(const Bitmap& bmp, const std::string& name) {
  const char* dir = std::getenv("VEXARO_SKIN_PICTURES");
  if (!dir || !*dir) return;
  std::string error;
  EXPECT_TRUE(headless::SavePng(bmp, std::string(dir) + "/" + name + ".png", &error)) << error;
}

std::unique_ptr<Bitmap> Crop(const Bitmap& src, const RECT& r) {
  auto out = std::make_unique<Bitmap>(r.right - r.left, r.bottom - r.top);
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) out->Row(y - r.top)[x - r.left] = src.At(x, y);
  return out;
}

struct SkinButton {
  const char* name;
  RECT rect;          // in the main window
  int strip_id;
  int mask_id;
  int state_w, state_h;
  POINT white_corner;  // a mask pixel outside the button
};

const SkinButton kButtons[] = {
    {"close-button", {450, 0, 470, 18}, kIdbCloseButton, kIdbCloseButtonMask, 25, 21, {0, 17}},
    {"update-button", {404, 161, 466, 224}, kIdbUpdateButton, kIdbUpdateButtonMask, 63, 63, {0, 0}},
};

const char* const kStateNames[] = {"normal", "hover", "pressed", "disabled"};

// A point inside the button where all four state images differ.
bool DistinctPoint(HBITMAP strip, HBITMAP mask, const SkinButton& b, POINT* out) {
  const int w = b.rect.right - b.rect.left, h = b.rect.bottom - b.rect.top;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      if (test::PixelOf(mask, x, y) == RGB(255, 255, 255)) continue;
      bool distinct = true;
      for (int i = 0; i < 4 && distinct; ++i)
        for (int j = i + 1; j < 4 && distinct; ++j)
          distinct = strip->At(x, y + i * b.state_h) != strip->At(x, y + j * b.state_h);
      if (distinct) {
        *out = {x, y};
        return true;
      }
    }
  return false;
}

class SkinPictures : public ::testing::Test {
 protected:
  void SetUp() override {
    background = LoadBitmap(kIdbBackground);
    ASSERT_NE(background, nullptr);
    host.picture = background;
    ASSERT_TRUE(host.Open(100, 100, background->width, background->height));
  }
  void TearDown() override {
    input::MouseButton(input::kLeft, false, 0, 0);
    input::MouseMove(0, 0);
    host.DestroyWindow();
    test::Pump();
    DeleteObject(background);
  }
  void Away() {
    input::MouseMove(100 + 200, 100 + 100);
    test::Pump();
  }
  void RenderStates(const SkinButton& b, std::vector<std::unique_ptr<Bitmap>>& crops);
  test::Host host;
  HBITMAP background = nullptr;
};

// Both buttons' states side by side, magnified four times.
std::unique_ptr<Bitmap> Sheet(const std::vector<std::unique_ptr<Bitmap>>& crops) {
  constexpr int kZoom = 4, kGap = 8;
  int w = kGap, h = kGap, row_w = kGap, row_h = 0;
  for (std::size_t i = 0; i < crops.size(); ++i) {
    row_w += crops[i]->width * kZoom + kGap;
    row_h = std::max(row_h, crops[i]->height * kZoom);
    if (i % 4 == 3) {
      w = std::max(w, row_w);
      h += row_h + kGap;
      row_w = kGap;
      row_h = 0;
    }
  }
  auto sheet = std::make_unique<Bitmap>(w, h);
  sheet->pixels.assign(sheet->pixels.size(), PixelFromColor(RGB(32, 34, 40)));
  int x0 = kGap, y0 = kGap;
  row_h = 0;
  for (std::size_t i = 0; i < crops.size(); ++i) {
    const Bitmap& c = *crops[i];
    for (int y = 0; y < c.height * kZoom; ++y)
      for (int x = 0; x < c.width * kZoom; ++x) sheet->Row(y0 + y)[x0 + x] = c.At(x / kZoom, y / kZoom);
    x0 += c.width * kZoom + kGap;
    row_h = std::max(row_h, c.height * kZoom);
    if (i % 4 == 3) {
      x0 = kGap;
      y0 += row_h + kGap;
      row_h = 0;
    }
  }
  return sheet;
}

TEST_F(SkinPictures, ButtonStatesOverTheBackground) {
  std::vector<std::unique_ptr<Bitmap>> crops;
  for (const SkinButton& b : kButtons) RenderStates(b, crops);
  ASSERT_EQ(crops.size(), 8u);
  SaveIfAsked(*Sheet(crops), "button-states");
}

void SkinPictures::RenderStates(const SkinButton& b, std::vector<std::unique_ptr<Bitmap>>& crops) {
  HBITMAP strip = LoadBitmap(b.strip_id), mask = LoadBitmap(b.mask_id);
  ASSERT_NE(strip, nullptr);
  ASSERT_NE(mask, nullptr);
  CBitmapBtn button;
  ASSERT_TRUE(button.Create("", kSkinButtonStyle, b.rect, &host, 0));
  button.SetStateStrip(strip, b.state_w, b.state_h);
  ASSERT_TRUE(ApplyWindowShape(button, mask));
  POINT probe;
  ASSERT_TRUE(DistinctPoint(strip, mask, b, &probe));
  const RECT crop{std::max<LONG>(b.rect.left - 8, 0), std::max<LONG>(b.rect.top - 8, 0),
                  std::min<LONG>(b.rect.right + 8, background->width),
                  std::min<LONG>(b.rect.bottom + 8, background->height)};
  const POINT centre{(b.rect.right - b.rect.left) / 2, (b.rect.bottom - b.rect.top) / 2};
  for (int state = 0; state < 4; ++state) {
    Away();
    POINT at = centre;
    button.ClientToScreen(&at);
    if (state == 3) button.EnableWindow(FALSE);
    if (state >= 1 && state <= 2) input::MouseMove(at.x, at.y);
    if (state == 2) input::MouseButton(input::kLeft, true, at.x, at.y);
    test::Pump();
    auto shot = headless::Capture(host);
    ASSERT_NE(shot, nullptr);
    SCOPED_TRACE(std::string(b.name) + " " + kStateNames[state]);
    EXPECT_EQ(shot->At(b.rect.left + probe.x, b.rect.top + probe.y) & 0xFFFFFF,
              strip->At(probe.x, probe.y + state * b.state_h) & 0xFFFFFF);
    const POINT c{b.rect.left + b.white_corner.x, b.rect.top + b.white_corner.y};
    EXPECT_EQ(shot->At(c.x, c.y) & 0xFFFFFF, background->At(c.x, c.y) & 0xFFFFFF);
    crops.push_back(Crop(*shot, crop));
    SaveIfAsked(*crops.back(), std::string(b.name) + "-" + kStateNames[state]);
    if (state == 2) input::MouseButton(input::kLeft, false, at.x, at.y);
    if (state == 3) button.EnableWindow(TRUE);
  }
  button.DestroyWindow();
  DeleteObject(strip);
  DeleteObject(mask);
}

TEST(SkinPicturesResult, EachResultDialog) {
  const char* const names[] = {"result-layout-error", "result-success", "result-failed"};
  HBITMAP strip = LoadBitmap(kIdbCloseButton);
  ASSERT_NE(strip, nullptr);
  for (int code = 0; code < 3; ++code) {
    CWarning dialog;
    dialog.m_nResultCode = code;
    ASSERT_TRUE(dialog.Create(0, nullptr));
    dialog.ShowWindow(SW_SHOW);
    test::Pump();
    auto shot = headless::Capture(dialog);
    ASSERT_NE(shot, nullptr);
    HBITMAP picture = LoadBitmap(ResultPictureId(code));
    ASSERT_NE(picture, nullptr);
    SCOPED_TRACE(names[code]);
    // The message in the middle of the picture, the close button's normal
    // image, and a white corner of its mask showing the picture.
    for (POINT p : {POINT{106, 70}, POINT{40, 110}, POINT{210, 5}})
      EXPECT_EQ(shot->At(p.x, p.y) & 0xFFFFFF, picture->At(p.x, p.y) & 0xFFFFFF);
    EXPECT_EQ(shot->At(200, 10) & 0xFFFFFF, strip->At(10, 10) & 0xFFFFFF);
    SaveIfAsked(*shot, names[code]);
    DeleteObject(picture);
    dialog.DestroyWindow();
    test::Pump();
  }
  DeleteObject(strip);
}

}  // namespace
}  // namespace vexaro::ui
