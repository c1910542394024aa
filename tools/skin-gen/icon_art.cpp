// The application icon: a dark keycap carrying the update arrow, drawn at
// each size from the same proportions; the smallest sizes drop the keycap's
// depth so the arrow stays readable.
#include "tools/skin-gen/glyphs.h"
#include "tools/skin-gen/skin_art.h"
#include "tools/skin-gen/skin_style.h"

namespace vexaro::skin {

std::vector<int> IconSizes() { return {16, 24, 32, 48, 64, 256}; }

Canvas DrawIcon(int size) {
  Canvas canvas(size, size, Colour{0, 0, 0, 0});
  const double s = size;
  const double u = s / 32.0;  // design unit: the icon is drawn on a 32-unit grid
  if (size < 32) {
    Shape badge = RoundRect(0.5 * u, 0.5 * u, s - 0.5 * u, s - 0.5 * u, 6 * u);
    canvas.Fill(badge, VerticalGradient(0, style::AccentLight(), s, style::AccentDark()));
    canvas.Fill(UploadGlyph(s / 2, s / 2 + 0.5 * u, 1.2 * u), Hex(0xFFFFFF));
    return canvas;
  }
  // Keycap: a base with a lighter, inset top face.
  Shape base = RoundRect(1 * u, 1.5 * u, s - 1 * u, s - 0.5 * u, 6.5 * u);
  Shape face = RoundRect(4 * u, 3 * u, s - 4 * u, s - 6 * u, 4.5 * u);
  canvas.Fill(base, VerticalGradient(0, Hex(0x2A313A), s, Hex(0x12161B)));
  canvas.Fill(Outline(Grow(base, -0.5 * u), 0.5 * u), Colour{1, 1, 1, 0.08});
  canvas.Fill(face, VerticalGradient(3 * u, style::AccentLight(), s - 6 * u, style::AccentDark()));
  canvas.Fill(Outline(Grow(face, -0.4 * u), 0.4 * u), VerticalGradient(3 * u, Colour{1, 1, 1, 0.45}, s / 2, Colour{1, 1, 1, 0}));
  canvas.Fill(UploadGlyph(s / 2, (3 * u + s - 6 * u) / 2 + 0.3 * u, 0.95 * u), Hex(0xFFFFFF));
  return canvas;
}

}  // namespace vexaro::skin
