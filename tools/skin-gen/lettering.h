// The update button's lettering, drawn as strokes rather than set from a
// font: the letters are narrow and even, so a word sits on the round button
// with room around it, and every letter is centred on whole pixels.
#pragma once

#include <string_view>

#include "tools/skin-gen/shapes.h"

namespace vexaro::skin {

struct Lettering {
  double capHeight = 9;   // ink height of a letter
  double halfWidth = 0.9;  // half the stroke width
  double gap = 2.6;        // ink gap between neighbouring letters
};

// Ink width of `word` (upper-case A, D, E, P, T, U only) in pixels.
double LetteringWidth(std::string_view word, const Lettering& style);
// The word as one shape, its ink box starting at (left, top).
Shape LetteringShape(std::string_view word, double left, double top, const Lettering& style);

}  // namespace vexaro::skin
