#include "tools/skin-gen/brand_art.h"

#include <algorithm>
#include <cmath>

#include "tools/skin-gen/shapes.h"
#include "tools/skin-gen/skin_style.h"

namespace vexaro::skin {

namespace {

// The V of the mark on the key face, drawn on the face's own unit square.
Shape MarkLetter(double x, double y, double face, double halfWidth) {
  return Stroke({{x + 0.28 * face, y + 0.30 * face}, {x + 0.50 * face, y + 0.70 * face}, {x + 0.72 * face, y + 0.30 * face}},
                halfWidth);
}

// Keys per row of the drawing (a compact layout) and the space bar's share.
constexpr int kKeyRows = 4;
constexpr int kKeysPerRow[kKeyRows] = {13, 12, 12, 11};
constexpr double kRowIndent[kKeyRows] = {0.0, 0.6, 0.9, 1.4};

void DrawKeyRow(Canvas& canvas, double left, double top, double pitch, double keySize, int row) {
  const double start = left + kRowIndent[row] * pitch * 0.5;
  for (int k = 0; k < kKeysPerRow[row]; ++k) {
    const double x = start + k * pitch;
    const bool markKey = row == 2 && k == 4;  // one key lit in the accent colour, as the mark is a key
    canvas.Fill(RoundRect(x, top, x + keySize, top + keySize, std::min(1.2, keySize / 3)),
                markKey ? style::Accent() : style::KeyCap());
  }
}

}  // namespace

void DrawLogoMark(Canvas& canvas, double x, double y, double size) {
  // Pixel-sized details shrink more slowly than the mark so small icons keep
  // a visible plate edge and a bold letter.
  const double u = size / 32.0;
  const double edge = std::max(1.0, 1.5 * u);
  Shape plate = RoundRect(x, y, x + size, y + size, std::max(2.5, 6.5 * u));
  Shape face = RoundRect(x + edge, y + std::max(0.75, u), x + size - edge, y + size - std::max(2.0, 4.5 * u),
                         std::max(2.0, 5.0 * u));
  canvas.Fill(plate, VerticalGradient(y, Hex(0x2E3640), y + size, Hex(0x0E1115)));
  canvas.Fill(face, VerticalGradient(y, style::AccentLight(), y + size, style::AccentDark()));
  canvas.Fill(Intersect(face, Outline(Grow(face, -0.5), 0.5)),
              VerticalGradient(y, Colour{1, 1, 1, 0.5}, y + size * 0.5, Colour{1, 1, 1, 0}));
  const double faceSize = size - 2 * edge;
  canvas.Fill(MarkLetter(x + edge, y + std::max(0.5, 0.3 * u), faceSize, std::max(0.95, 2.0 * u)), Hex(0xFFFFFF));
}

void DrawTitleBand(Canvas& canvas, const Fonts& fonts, int width, double markLeft, const Rect& wordmark) {
  canvas.Fill(RoundRect(-1, -1, width + 1, kHeaderHeight, 0), style::Header());
  canvas.Fill(RoundRect(0, kHeaderHeight, width, kHeaderHeight + 1, 0), style::HeaderLine());
  DrawLogoMark(canvas, markLeft, 2, 14);
  fonts.bold->Draw(canvas, style::kWordmarkSize, wordmark.left, Baseline(wordmark), "VEXARO", style::TextStrong(), 1);
}

void DrawKeyboard(Canvas& canvas, const Rect& box) {
  // The case is as tall as five key rows and its margins, centred in the box.
  const double pitch = (box.Width() - 7) / 13.4;
  const double keySize = pitch - 1.2;
  const double bodyHeight = 5 * pitch - 1.2 + 7.5;
  const double bodyTop = box.top + std::round((box.Height() - bodyHeight) / 2) + 0.5;
  Shape body = RoundRect(box.left + 0.5, bodyTop, box.right - 0.5, bodyTop + bodyHeight, 4);
  canvas.Fill(body, style::KeyboardBody());
  canvas.Fill(Outline(body, 0.6), style::KeyboardEdge());
  const double left = box.left + 3.5;
  double top = bodyTop + 3.5;
  for (int row = 0; row < kKeyRows; ++row, top += pitch) DrawKeyRow(canvas, left, top, pitch, keySize, row);
  // Bottom row: modifiers around a long space bar.
  const double spaceLeft = left + 3 * pitch;
  const double spaceRight = box.right - 3.5 - 3 * pitch;
  for (double x : {left, left + pitch, left + 2 * pitch, spaceRight + 0.2 * pitch, spaceRight + 1.2 * pitch,
                   spaceRight + 2.2 * pitch - 0.2}) {
    canvas.Fill(RoundRect(x, top, x + keySize, top + keySize, std::min(1.2, keySize / 3)), style::KeyCap());
  }
  canvas.Fill(RoundRect(spaceLeft, top, spaceRight - 0.1 * pitch, top + keySize, std::min(1.2, keySize / 3)),
              style::KeyCap());
}

}  // namespace vexaro::skin
