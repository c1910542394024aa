// Main window background and the progress bar pictures cut from it.
#include <string>

#include "tools/skin-gen/glyphs.h"
#include "tools/skin-gen/skin_art.h"
#include "tools/skin-gen/skin_layout.h"
#include "tools/skin-gen/skin_style.h"

namespace vexaro::skin {

namespace {

// The window paints its texts with a 15 px cell from the rectangle's top; the
// labels share that baseline.
constexpr int kTextAscent = 12;
constexpr int kLabelLeft = 34;

Shape ProgressTrack() {
  const Rect& r = kProgressBar;
  return RoundRect(r.left, r.top, r.right, r.bottom, r.Height() / 2.0);
}

void DrawHeader(Canvas& canvas, const Fonts& fonts) {
  canvas.Fill(RoundRect(-1, -1, kWindowWidth + 1, kHeaderHeight, 0), style::Header());
  // A hairline under the header that fades out from the accent colour.
  canvas.Fill(RoundRect(0, kHeaderHeight, kWindowWidth, kHeaderHeight + 1, 0),
              HorizontalGradient(0, WithAlpha(style::Accent(), 0.9), kWindowWidth * 0.7, WithAlpha(style::Accent(), 0.0)));
  // Small badge in the icon's style.
  const double bx = 14, by = 9, size = 22;
  canvas.Fill(RoundRect(bx, by, bx + size, by + size, 5),
              VerticalGradient(by, style::AccentLight(), by + size, style::AccentDark()));
  canvas.Fill(UploadGlyph(bx + size / 2, by + size / 2 + 0.5, 0.78), style::TextStrong());
  fonts.bold->Draw(canvas, style::kTitleSize, 46, 26, "Firmware Update", style::TextStrong());
}

void DrawInfoCard(Canvas& canvas, const Fonts& fonts) {
  Shape card = RoundRect(18.5, 52.5, kWindowWidth - 18.5, 125.5, 7);
  canvas.Fill(card, style::Card());
  canvas.Fill(Outline(card, 0.5), style::CardBorder());
  struct Row {
    const char* label;
    Rect value;
  };
  const Row rows[] = {{"New firmware version", kUpdateVersionText},
                      {"Keyboard", kProductNameText},
                      {"Firmware on the keyboard", kCurrentVersionText}};
  for (const Row& row : rows) {
    const int baseline = row.value.top + kTextAscent;
    fonts.regular->Draw(canvas, style::kLabelSize, kLabelLeft, baseline, row.label, style::TextLabel());
    // Dotted leader from the label to its value.
    const int from = kLabelLeft + fonts.regular->Width(style::kLabelSize, row.label) + 6;
    for (int x = from; x + 1 < row.value.left - 6; x += 4) {
      canvas.Fill(Circle(x + 1.0, baseline - 1.5, 0.75), WithAlpha(style::TextMuted(), 0.8));
    }
  }
}

void DrawProgressArea(Canvas& canvas, const Fonts& fonts) {
  fonts.regular->Draw(canvas, style::kHintSize, kProgressBar.left, kProgressBar.top - 29,
                      "Connect the keyboard, then press UPDATE.", style::TextLabel());
  fonts.regular->Draw(canvas, style::kHintSize, kProgressBar.left, kProgressBar.top - 11,
                      "Keep it connected until the update has finished.", style::TextMuted());
  Shape track = ProgressTrack();
  canvas.Fill(track, style::Track());
  canvas.Fill(Outline(Grow(track, -0.5), 0.5), style::TrackBorder());
}

}  // namespace

Canvas DrawMainBackground(const Fonts& fonts) {
  Canvas canvas(kWindowWidth, kWindowHeight, style::BodyBottom());
  canvas.Fill(RoundRect(-1, -1, kWindowWidth + 1, kWindowHeight + 1, 0),
              VerticalGradient(kHeaderHeight, style::BodyTop(), kWindowHeight, style::BodyBottom()));
  DrawHeader(canvas, fonts);
  DrawInfoCard(canvas, fonts);
  DrawProgressArea(canvas, fonts);
  // A soft ring on the floor where the round update button sits.
  const Rect& b = kUpdateButton;
  canvas.Glow(Circle(b.left + 31.5, b.top + 31.5, 30.5), WithAlpha(style::Accent(), 0.16), 9);
  DrawBorder(canvas, style::WindowBorder());
  return canvas;
}

Canvas DrawProgressBack(const Canvas& background) {
  const Rect& r = kProgressBar;
  return background.Crop(r.left, r.top, r.Width(), r.Height());
}

Canvas DrawProgressFill(const Canvas& background) {
  const Rect& r = kProgressBar;
  Canvas canvas = background;
  Shape bar = Grow(ProgressTrack(), -1.0);
  canvas.Fill(bar, HorizontalGradient(r.left, style::AccentDark(), r.right, style::AccentCyan()));
  // Gloss on the upper half.
  canvas.Fill(Subtract(bar, HalfPlaneBelow(r.top + r.Height() * 0.45)), Colour{1, 1, 1, 0.13});
  return canvas.Crop(r.left, r.top, r.Width(), r.Height());
}

}  // namespace vexaro::skin
