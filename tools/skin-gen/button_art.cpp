// Button state strips and their shape masks. Each state is painted over what
// lies under the button in its window, so the edge pixels that the binary mask
// keeps blend into the surroundings.
#include "tools/skin-gen/glyphs.h"
#include "tools/skin-gen/skin_art.h"
#include "tools/skin-gen/skin_layout.h"
#include "tools/skin-gen/skin_style.h"

namespace vexaro::skin {

namespace {

enum class State { Normal, Hover, Pressed, Disabled };
constexpr State kStates[kStateCount] = {State::Normal, State::Hover, State::Pressed, State::Disabled};

constexpr double kDiscCentre = kUpdateStateSize / 2.0;
constexpr double kDiscRadius = kDiscCentre - 1.0;

Shape UpdateDisc() { return Circle(kDiscCentre, kDiscCentre, kDiscRadius); }

Shape CloseTab() {
  const Rect& t = kCloseTab;
  // Square top corners (flush with the window's top edge), rounded bottom ones.
  return Union(RoundRect(t.left, t.top - 8, t.right, t.bottom, 5), RoundRect(t.left, t.top - 8, t.right, t.top + 4, 0));
}

// Mask pixels are inside wherever the shape covers any part of them, so the
// anti-aliased rim is shown.
Canvas MaskOf(const Shape& shape, int width, int height) {
  Canvas mask(width, height, Hex(0xFFFFFF));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (CoverageAt(shape(x + 0.5, y + 0.5)) > 0) mask.Set(x, y, Hex(0x000000));
    }
  }
  return mask;
}

// The disc's body for a state: lighter when hovered, darker and sunk when pressed, grey when disabled.
void FillUpdateDisc(Canvas& canvas, State state) {
  const Shape disc = UpdateDisc();
  const double top = kDiscCentre - kDiscRadius;
  const double bottom = kDiscCentre + kDiscRadius;
  switch (state) {
    case State::Normal:
      canvas.Fill(disc, VerticalGradient(top, style::AccentLight(), bottom, style::AccentDark()));
      break;
    case State::Hover:
      canvas.Fill(disc, VerticalGradient(top, Hex(0x8CC4FF), bottom, style::Accent()));
      break;
    case State::Pressed:
      canvas.Fill(disc, VerticalGradient(top, Hex(0x123F87), bottom, style::Accent()));
      canvas.Fill(Subtract(disc, Translate(disc, 0, 3)), Colour{0, 0, 0, 0.28});  // inner shadow at the top
      break;
    case State::Disabled:
      canvas.Fill(disc, VerticalGradient(top, style::DisabledTop(), bottom, style::DisabledBottom()));
      break;
  }
  if (state == State::Normal || state == State::Hover) {
    // Highlight rim fading out from the upper edge.
    const double strength = state == State::Hover ? 0.5 : 0.35;
    canvas.Fill(Outline(Grow(disc, -1.3), 0.6),
                VerticalGradient(top, Colour{1, 1, 1, strength}, kDiscCentre, Colour{1, 1, 1, 0}));
  }
  canvas.Fill(Outline(Grow(disc, -0.5), 0.5), Colour{0, 0, 0, 0.35});
}

void DrawUpdateState(Canvas& canvas, State state, const Fonts& fonts) {
  FillUpdateDisc(canvas, state);
  const Colour glyph = state == State::Disabled ? style::DisabledGlyph() : style::TextStrong();
  const double lift = state == State::Pressed ? 1 : 0;  // a pressed button's face moves down
  const double c = kDiscCentre;
  canvas.Fill(UploadGlyph(c, c - 6 + lift, 1.0), glyph);
  fonts.bold->DrawCentred(canvas, style::kButtonLabelSize, static_cast<int>(c) + 1, static_cast<int>(c + 17 + lift),
                          "UPDATE", glyph, 1);
}

void DrawCloseState(Canvas& canvas, State state) {
  Shape tab = CloseTab();
  Colour glyph = style::CloseGlyph();
  switch (state) {
    case State::Normal:
      canvas.Fill(tab, style::CloseIdle());
      break;
    case State::Hover:
      canvas.Fill(tab, style::CloseHover());
      glyph = Hex(0xFFFFFF);
      break;
    case State::Pressed:
      canvas.Fill(tab, style::ClosePressed());
      glyph = Hex(0xF2D4D5);
      break;
    case State::Disabled:
      canvas.Fill(tab, style::CloseIdle());
      glyph = style::CloseGlyphDisabled();
      break;
  }
  const Rect& t = kCloseTab;
  const double cx = (t.left + t.right) / 2.0;
  const double cy = (t.top + t.bottom) / 2.0 + (state == State::Pressed ? 0.5 : 0.0);
  const double r = 3.6;
  canvas.Fill(Union(Stroke({{cx - r, cy - r}, {cx + r, cy + r}}, 0.9), Stroke({{cx + r, cy - r}, {cx - r, cy + r}}, 0.9)),
              glyph);
}

}  // namespace

Canvas DrawUpdateButtonStrip(const Canvas& background, const Fonts& fonts) {
  const int size = kUpdateStateSize;
  Canvas strip(size, size * kStateCount, Colour{});
  for (int i = 0; i < kStateCount; ++i) {
    Canvas state = background.Crop(kUpdateButton.left, kUpdateButton.top, size, size);
    DrawUpdateState(state, kStates[i], fonts);
    strip.Draw(state, 0, i * size);
  }
  return strip;
}

Canvas DrawCloseButtonStrip() {
  Canvas strip(kCloseStateWidth, kCloseStateHeight * kStateCount, style::Header());
  for (int i = 0; i < kStateCount; ++i) {
    Canvas state(kCloseStateWidth, kCloseStateHeight, style::Header());
    DrawCloseState(state, kStates[i]);
    strip.Draw(state, 0, i * kCloseStateHeight);
  }
  return strip;
}

Canvas DrawUpdateButtonMask() { return MaskOf(UpdateDisc(), kUpdateStateSize, kUpdateStateSize); }

Canvas DrawCloseButtonMask() { return MaskOf(CloseTab(), kCloseStateWidth, kCloseStateHeight); }

}  // namespace vexaro::skin
