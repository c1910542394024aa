#include "tests/app/text_contrast.h"

#include <cmath>
#include <cstdio>
#include <map>

namespace vexaro::app::test {

namespace {

double Linear(std::uint32_t channel) {
  const double c = channel / 255.0;
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

}  // namespace

double RelativeLuminance(std::uint32_t rgb) {
  return 0.2126 * Linear((rgb >> 16) & 0xFF) + 0.7152 * Linear((rgb >> 8) & 0xFF) + 0.0722 * Linear(rgb & 0xFF);
}

double ContrastRatio(std::uint32_t a, std::uint32_t b) {
  const double la = RelativeLuminance(a);
  const double lb = RelativeLuminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The surface is taken from the box's one-pixel frame, which the text does
// not fill (inside the box, text can outnumber its surface: big lettering).
TextContrast MeasureText(const gui::Bitmap& shot, const gui::RECT& box) {
  std::map<std::uint32_t, int> frame;
  for (int y = box.top; y < box.bottom; ++y) {
    for (int x = box.left; x < box.right; ++x) {
      const bool edge = y == box.top || y == box.bottom - 1 || x == box.left || x == box.right - 1;
      if (edge) ++frame[shot.At(x, y) & 0xFFFFFF];
    }
  }
  TextContrast result;
  int most = 0;
  for (const auto& [colour, count] : frame) {
    if (count > most) {
      most = count;
      result.surface = colour;
    }
  }
  result.ink = result.surface;
  for (int y = box.top; y < box.bottom; ++y) {
    for (int x = box.left; x < box.right; ++x) {
      const std::uint32_t colour = shot.At(x, y) & 0xFFFFFF;
      const double ratio = ContrastRatio(colour, result.surface);
      if (ratio > result.ratio) {
        result.ratio = ratio;
        result.ink = colour;
      }
    }
  }
  return result;
}

std::string Describe(const TextContrast& c) {
  char text[64];
  std::snprintf(text, sizeof text, "%.2f:1 (#%06X on #%06X)", c.ratio, static_cast<unsigned>(c.ink),
                static_cast<unsigned>(c.surface));
  return text;
}

}  // namespace vexaro::app::test
