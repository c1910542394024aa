// Main window background and the progress bar pictures cut from it.
#include <string>

#include "tools/skin-gen/brand_art.h"
#include "tools/skin-gen/shapes.h"
#include "tools/skin-gen/skin_art.h"
#include "tools/skin-gen/skin_layout.h"
#include "tools/skin-gen/skin_style.h"

namespace vexaro::skin {

namespace {

constexpr double kTrackRadius = 3;
constexpr double kFillInset = 2;

Shape ProgressTrack() {
  const Rect& r = kProgressBar;
  return RoundRect(r.left, r.top, r.right, r.bottom, kTrackRadius);
}

// The title strip: the mark, the maker's name and what the program is; the
// close tab lies on the strip's colour at its right end.
void DrawTitleStrip(Canvas& canvas, const Fonts& fonts) {
  DrawTitleBand(canvas, fonts, kWindowWidth, 7, kWordmarkText);
  fonts.regular->Draw(canvas, style::kWordmarkSize, kProductLineText.left, Baseline(kProductLineText),
                      "Keyboard Firmware Updater", style::TextLabel());
}

// The card: the keyboard, and one column of values with their labels
// right-aligned against it; the keyboard's current version hangs under its
// name in a slot, which reads as "nothing read yet" while it is empty.
void DrawInfoCard(Canvas& canvas, const Fonts& fonts) {
  fonts.bold->Draw(canvas, style::kTitleSize, kTitleText.left, Baseline(kTitleText), "Firmware Update",
                   style::TextStrong());
  Shape card = RoundRect(18.5, 56.5, kWindowWidth - 18.5, 123.5, 7);
  canvas.Fill(card, style::Card());
  canvas.Fill(Outline(card, 0.5), style::CardBorder());
  DrawKeyboard(canvas, kKeyboardPicture);
  const auto label = [&](const Rect& box, const char* text) {
    fonts.regular->DrawRightAligned(canvas, style::kLabelSize, box.right, Baseline(box), text, style::TextLabel());
  };
  label(kUpdateVersionLabel, "Update to");
  label(kProductNameLabel, "Keyboard");
  fonts.regular->Draw(canvas, style::kLabelSize, kCurrentVersionLabel.left, Baseline(kCurrentVersionLabel), "current",
                      style::TextLabel());
  const Rect& s = kCurrentVersionSlot;
  Shape slot = RoundRect(s.left + 0.5, s.top + 0.5, s.right - 0.5, s.bottom - 0.5, 3);
  canvas.Fill(slot, style::Slot());
  canvas.Fill(Outline(slot, 0.5), style::SlotBorder());
}

void DrawProgressArea(Canvas& canvas, const Fonts& fonts) {
  fonts.regular->Draw(canvas, style::kHintSize, kHintText1.left + 2, Baseline(kHintText1),
                      "An update takes up to two minutes.", style::TextLabel());
  fonts.regular->Draw(canvas, style::kHintSize, kHintText2.left + 2, Baseline(kHintText2),
                      "Keep the keyboard connected until it has finished.", style::TextLabel());
  Shape track = ProgressTrack();
  canvas.Fill(track, style::Track());
  canvas.Fill(Outline(Grow(track, -0.5), 0.5), style::TrackBorder());
}

// A neutral recess where the round button sits: the same for every state of
// the button, lit or disabled.
void DrawButtonSocket(Canvas& canvas) {
  const Rect& b = kUpdateButton;
  const double c = kUpdateStateSize / 2.0;
  canvas.Fill(Outline(Circle(b.left + c, b.top + c, c - 0.25), 1.0), WithAlpha(style::Socket(), 0.8));
}

}  // namespace

Canvas DrawMainBackground(const Fonts& fonts) {
  Canvas canvas(kWindowWidth, kWindowHeight, style::BodyBottom());
  canvas.Fill(RoundRect(-1, -1, kWindowWidth + 1, kWindowHeight + 1, 0),
              VerticalGradient(kHeaderHeight, style::BodyTop(), kWindowHeight, style::BodyBottom()));
  DrawTitleStrip(canvas, fonts);
  DrawInfoCard(canvas, fonts);
  DrawProgressArea(canvas, fonts);
  DrawButtonSocket(canvas);
  DrawBorder(canvas, style::WindowBorder());
  return canvas;
}

Canvas DrawProgressBack(const Canvas& background) {
  const Rect& r = kProgressBar;
  return background.Crop(r.left, r.top, r.Width(), r.Height());
}

// The fill runs the whole track with square-cut ends inside a nearly square
// track, so wherever the window cuts it the end is a clean vertical edge like
// the track's own; a lighter upper half gives it depth.
Canvas DrawProgressFill(const Canvas& background) {
  const Rect& r = kProgressBar;
  Canvas canvas = background;
  Shape bar = RoundRect(r.left + kFillInset, r.top + kFillInset, r.right - kFillInset, r.bottom - kFillInset, 1.5);
  canvas.Fill(bar, HorizontalGradient(r.left, style::AccentDark(), r.right, style::AccentCyan()));
  canvas.Fill(Subtract(bar, HalfPlaneBelow(r.top + r.Height() * 0.5)), Colour{1, 1, 1, 0.14});
  return canvas.Crop(r.left, r.top, r.Width(), r.Height());
}

}  // namespace vexaro::skin
