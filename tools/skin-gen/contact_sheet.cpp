#include "tools/skin-gen/contact_sheet.h"

#include <string>

#include "tools/skin-gen/skin_layout.h"
#include "tools/skin-gen/skin_style.h"
#include "tools/skin-gen/text.h"

namespace vexaro::skin {

namespace {

constexpr int kSheetWidth = 1512;
constexpr int kSheetHeight = 990;
constexpr int kMargin = 24;

enum StateRow { kNormal = 0, kHover = 1, kPressed = 2, kDisabled = 3 };

struct MockState {
  int close = kNormal;
  int update = kNormal;
  int progress = -1;  // percent, or -1 when the bar is hidden
};

Canvas Magnify(const Canvas& source, int factor) {
  Canvas out(source.Width() * factor, source.Height() * factor, Colour{});
  for (int y = 0; y < out.Height(); ++y) {
    for (int x = 0; x < out.Width(); ++x) out.Set(x, y, source.At(x / factor, y / factor));
  }
  return out;
}

bool IsWhite(Colour c) { return ToByte(c.r) == 255 && ToByte(c.g) == 255 && ToByte(c.b) == 255; }

// What the window shows of a skinned button: the state image clipped to the
// button's client size and to the opaque part of its mask.
void PlaceButton(Canvas& window, const Canvas& strip, const Canvas& mask, int state, const Rect& client) {
  const int stateHeight = strip.Height() / kStateCount;
  for (int y = 0; y < client.Height() && y < stateHeight; ++y) {
    for (int x = 0; x < client.Width() && x < strip.Width(); ++x) {
      if (!IsWhite(mask.At(x, y))) window.Set(client.left + x, client.top + y, strip.At(x, state * stateHeight + y));
    }
  }
}

Canvas MockMainWindow(const SkinPictures& p, const Fonts& fonts, const MockState& s) {
  Canvas window = p.background;
  const Colour white = Hex(0xFFFFFF);
  // The window's painted texts: white, bold, 15 px cell from the rectangle's top.
  fonts.bold->Draw(window, 12, kUpdateVersionText.left, kUpdateVersionText.top + 12, "V1.08", white);
  fonts.bold->Draw(window, 12, kProductNameText.left, kProductNameText.top + 12, "Vexaro K87 Keyboard", white);
  fonts.bold->Draw(window, 12, kCurrentVersionText.left, kCurrentVersionText.top + 12, "V1.05", white);
  if (s.progress >= 0) {
    window.Draw(p.progressBack, kProgressBar.left, kProgressBar.top);
    Canvas fill = p.progressFill.Crop(0, 0, p.progressFill.Width() * s.progress / 100, p.progressFill.Height());
    window.Draw(fill, kProgressBar.left, kProgressBar.top);
  }
  PlaceButton(window, p.closeStrip, p.closeMask, s.close, kCloseButton);
  PlaceButton(window, p.updateStrip, p.updateMask, s.update, kUpdateButton);
  return window;
}

Canvas MockResult(const SkinPictures& p, const Canvas& picture, int closeState) {
  Canvas dialog = picture;
  PlaceButton(dialog, p.closeStrip, p.closeMask, closeState, kResultCloseButton);
  return dialog;
}

Canvas StripStatesSideBySide(const Canvas& strip) {
  const int h = strip.Height() / kStateCount;
  const int gap = 6;
  Canvas out(strip.Width() * kStateCount + gap * (kStateCount - 1), h, Colour{0, 0, 0, 0});
  for (int i = 0; i < kStateCount; ++i) out.Draw(strip.Crop(0, i * h, strip.Width(), h), i * (strip.Width() + gap), 0);
  return out;
}

class Sheet {
 public:
  explicit Sheet(const Fonts& fonts) : fonts_(fonts), canvas_(kSheetWidth, kSheetHeight, Hex(0x3A3F46)) {}

  void Place(const Canvas& picture, int x, int y, const std::string& caption) {
    canvas_.Draw(picture, x, y);
    fonts_.regular->Draw(canvas_, 12, x, y + picture.Height() + 16, caption, Hex(0xD5DAE0));
  }
  void Heading(int x, int y, const std::string& text) { fonts_.bold->Draw(canvas_, 15, x, y, text, Hex(0xFFFFFF)); }
  Canvas& Picture() { return canvas_; }

 private:
  const Fonts& fonts_;
  Canvas canvas_;
};


// Returns the top of the next row.
int PlaceMainWindows(Sheet& sheet, const SkinPictures& p, const Fonts& fonts, int y) {
  const int column = kWindowWidth + 24;
  sheet.Heading(kMargin, y - 16, "Main window (131) composed by skin-gen, sample texts in its own type");
  sheet.Place(MockMainWindow(p, fonts, {}), kMargin, y, "Idle: close and update normal");
  sheet.Place(MockMainWindow(p, fonts, {kHover, kHover, -1}), kMargin + column, y, "Mouse over close and over update");
  sheet.Place(MockMainWindow(p, fonts, {kDisabled, kDisabled, 62}), kMargin + 2 * column, y,
              "Updating: buttons disabled, progress 62% (137 + 138)");
  return y + kWindowHeight + 60;
}

int PlaceResultDialogs(Sheet& sheet, const SkinPictures& p, int y) {
  sheet.Heading(kMargin, y - 16, "Result dialog (139, 140, 141; close button 132 cut by 142), magnified 2x");
  sheet.Place(Magnify(MockResult(p, p.layoutError, kNormal), 2), kMargin, y, "139 layout error, close normal");
  sheet.Place(Magnify(MockResult(p, p.failure, kHover), 2), kMargin + 450, y, "140 failed, close hover");
  sheet.Place(Magnify(MockResult(p, p.success, kPressed), 2), kMargin + 900, y, "141 success, close pressed");
  int iconY = y;
  for (const Canvas& icon : p.icon) {
    if (icon.Width() > 64) continue;
    sheet.Place(icon, kMargin + 1350, iconY, "129: " + std::to_string(icon.Width()));
    iconY += icon.Height() + 26;
  }
  return y + 2 * kResultHeight + 60;
}

void PlaceFiles(Sheet& sheet, const SkinPictures& p, int y) {
  sheet.Heading(kMargin, y - 16, "Files: state strips (normal, hover, pressed, disabled) and masks, magnified");
  sheet.Place(Magnify(StripStatesSideBySide(p.updateStrip), 2), kMargin, y, "133 update button, 2x");
  sheet.Place(Magnify(p.updateMask, 2), kMargin + 556, y, "135 mask, 2x");
  sheet.Place(Magnify(StripStatesSideBySide(p.closeStrip), 3), kMargin + 700, y, "132 close button, 3x");
  sheet.Place(Magnify(p.closeMask, 3), kMargin + 1075, y, "142 mask, 3x");
  sheet.Place(p.progressBack, kMargin + 700, y + 100, "137 progress back");
  sheet.Place(p.progressFill, kMargin + 700, y + 145, "138 progress fill");
  for (const Canvas& icon : p.icon) {
    if (icon.Width() > 64) sheet.Place(icon, kMargin + 1210, y, "129: " + std::to_string(icon.Width()));
  }
}

}  // namespace

bool DrawContactSheet(const SkinPictures& p, const std::string& fontDir, Canvas& out, std::string& error) {
  Fonts fonts;
  if (!OpenFonts(fontDir, fonts, error)) return false;
  Sheet sheet(fonts);
  int y = PlaceMainWindows(sheet, p, fonts, 46);
  y = PlaceResultDialogs(sheet, p, y);
  PlaceFiles(sheet, p, y);
  out = sheet.Picture();
  return true;
}

}  // namespace vexaro::skin
