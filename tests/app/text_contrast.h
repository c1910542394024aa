// Contrast of a text as it was rendered: the surface is the commonest colour
// on the frame of the text's box, the ink the pixel inside that stands out
// most from it, and the ratio is the WCAG 2 contrast ratio of the two
// ((L1 + 0.05) / (L2 + 0.05)).
#pragma once

#include <cstdint>
#include <string>

#include "platform/gui/gdi.h"

namespace vexaro::app::test {

struct TextContrast {
  std::uint32_t surface = 0;  // 0xRRGGBB
  std::uint32_t ink = 0;
  double ratio = 1;
};

// WCAG relative luminance of an 0xRRGGBB colour, 0 (black) to 1 (white).
double RelativeLuminance(std::uint32_t rgb);
double ContrastRatio(std::uint32_t a, std::uint32_t b);
// Measures the text inside `box` of a captured window.
TextContrast MeasureText(const gui::Bitmap& shot, const gui::RECT& box);
std::string Describe(const TextContrast& c);

}  // namespace vexaro::app::test
