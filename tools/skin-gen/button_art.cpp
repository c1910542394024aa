// Button state strips and their shape masks. Each state is painted over what
// lies under the button in its window, so the edge pixels that the binary mask
// keeps blend into the surroundings.
#include <cmath>

#include "tools/skin-gen/lettering.h"
#include "tools/skin-gen/shapes.h"
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

// The tab fills the title strip's height at the window's top edge, in the
// strip's own colour, so in both windows it is one piece with the strip (and
// in the result dialog the strip runs on to the edge); its bottom corners are
// rounded so the mask's corner pixels show the window under it.
Shape CloseTab() {
  const Rect& t = kCloseTab;
  return Union(RoundRect(t.left, t.top - 8, t.right, t.bottom, 4), RoundRect(t.left, t.top - 8, t.right, t.top + 4, 0));
}

// Centre of the X: on a pixel centre, so each arm is a clean one-pixel
// diagonal and the arms cross in a single pixel.
constexpr double kCloseCentreX = 9.5;
constexpr double kCloseCentreY = 8.5;
constexpr double kCloseArm = 3.5;
constexpr double kCloseStroke = 0.62;
constexpr double kCloseDiscRadius = 7.5;

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

// The disc's body for a state: lighter when hovered, darker and sunk when
// pressed, grey when disabled. Each face keeps its lettering at 4.5:1.
void FillUpdateDisc(Canvas& canvas, State state) {
  const Shape disc = UpdateDisc();
  const double top = kDiscCentre - kDiscRadius;
  const double bottom = kDiscCentre + kDiscRadius;
  switch (state) {
    case State::Normal:
      canvas.Fill(disc, VerticalGradient(top, style::ButtonTop(), bottom, style::ButtonBottom()));
      break;
    case State::Hover:
      canvas.Fill(disc, VerticalGradient(top, style::ButtonHoverTop(), bottom, style::ButtonHoverBottom()));
      break;
    case State::Pressed:
      canvas.Fill(disc, VerticalGradient(top, style::ButtonPressedTop(), bottom, style::ButtonPressedBottom()));
      canvas.Fill(Subtract(disc, Translate(disc, 0, 3)), Colour{0, 0, 0, 0.28});  // inner shadow at the top
      break;
    case State::Disabled:
      canvas.Fill(disc, VerticalGradient(top, style::DisabledTop(), bottom, style::DisabledBottom()));
      break;
  }
  if (state == State::Normal || state == State::Hover) {
    // Highlight rim fading out from the upper edge.
    const double strength = state == State::Hover ? 0.55 : 0.35;
    canvas.Fill(Outline(Grow(disc, -1.3), 0.6),
                VerticalGradient(top, Colour{1, 1, 1, strength}, kDiscCentre, Colour{1, 1, 1, 0}));
  }
  canvas.Fill(Outline(Grow(disc, -0.5), 0.5), Colour{0, 0, 0, 0.35});
}

// An upward chevron over the word, the two centred together on the disc, a
// hair above the geometric centre where the eye expects it.
void DrawUpdateState(Canvas& canvas, State state) {
  FillUpdateDisc(canvas, state);
  const Colour ink = state == State::Disabled ? style::DisabledGlyph() : Hex(0xFFFFFF);
  const double lift = state == State::Pressed ? 1 : 0;  // a pressed button's face moves down
  const Lettering lettering;
  const double width = LetteringWidth("UPDATE", lettering);
  const double left = std::round(kDiscCentre - width / 2);
  const double top = kUpdateLetteringBox.top + 1 + lift;
  canvas.Fill(LetteringShape("UPDATE", left, top, lettering), ink);
  const double c = kDiscCentre;
  const double tip = top - 12;
  canvas.Fill(Stroke({{c - 6, tip + 6}, {c, tip}, {c + 6, tip + 6}}, 1.1), ink);
}

void DrawCloseState(Canvas& canvas, State state) {
  Colour glyph = style::CloseGlyph();
  const Shape disc = Circle(kCloseCentreX, kCloseCentreY, kCloseDiscRadius);
  switch (state) {
    case State::Normal:
      break;
    case State::Hover:
      canvas.Fill(disc, style::CloseHover());
      glyph = Hex(0xFFFFFF);
      break;
    case State::Pressed:
      canvas.Fill(disc, style::ClosePressed());
      glyph = Hex(0xF2D4D5);
      break;
    case State::Disabled:
      glyph = style::CloseGlyphDisabled();
      break;
  }
  const double cx = kCloseCentreX;
  const double cy = kCloseCentreY;
  const double r = kCloseArm;
  canvas.Fill(Union(Stroke({{cx - r, cy - r}, {cx + r, cy + r}}, kCloseStroke),
                    Stroke({{cx + r, cy - r}, {cx - r, cy + r}}, kCloseStroke)),
              glyph);
  // Both windows draw their one-pixel border along the top edge the tab hangs from.
  for (int x = 0; x < canvas.Width(); ++x) canvas.Set(x, 0, style::WindowBorder());
}

}  // namespace

Canvas DrawUpdateButtonStrip(const Canvas& background) {
  const int size = kUpdateStateSize;
  Canvas strip(size, size * kStateCount, Colour{});
  for (int i = 0; i < kStateCount; ++i) {
    Canvas state = background.Crop(kUpdateButton.left, kUpdateButton.top, size, size);
    DrawUpdateState(state, kStates[i]);
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
