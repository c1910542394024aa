#include "tools/skin-gen/lettering.h"

#include <vector>

namespace vexaro::skin {

namespace {

// A letter as stroke centre lines on a box one unit tall and `width` units
// wide (y down); a unit is the cap height less the stroke width.
struct Letter {
  double width = 0.6;
  std::vector<std::vector<Point>> strokes;
};

Letter LetterOf(char c) {
  switch (c) {
    case 'U':
      return {0.62, {{{0, 0}, {0, 0.66}, {0.07, 0.88}, {0.31, 1}, {0.55, 0.88}, {0.62, 0.66}, {0.62, 0}}}};
    case 'P':
      return {0.58, {{{0, 1}, {0, 0}, {0.36, 0}, {0.53, 0.08}, {0.58, 0.27}, {0.53, 0.46}, {0.36, 0.54}, {0, 0.54}}}};
    case 'D':
      return {0.64, {{{0, 0}, {0, 1}, {0.32, 1}, {0.56, 0.88}, {0.64, 0.5}, {0.56, 0.12}, {0.32, 0}, {0, 0}}}};
    case 'A':
      return {0.70, {{{0, 1}, {0.35, 0}, {0.70, 1}}, {{0.14, 0.64}, {0.56, 0.64}}}};
    case 'T':
      return {0.62, {{{0, 0}, {0.62, 0}}, {{0.31, 0}, {0.31, 1}}}};
    case 'E':
      return {0.52, {{{0.52, 0}, {0, 0}, {0, 1}, {0.52, 1}}, {{0, 0.5}, {0.44, 0.5}}}};
    default:
      return {0.6, {}};
  }
}

// The stroke centre lines run inside the ink box by the stroke's half width.
double InkWidth(const Letter& letter, const Lettering& style) {
  return letter.width * (style.capHeight - 2 * style.halfWidth) + 2 * style.halfWidth;
}

// Pairs whose open sides face each other (the slopes of A beside the bar of
// T) look far apart at the same ink gap; they are set closer.
double PairAdjust(char left, char right, const Lettering& style) {
  if ((left == 'A' && right == 'T') || (left == 'T' && right == 'A')) return -0.25 * style.capHeight;
  if (left == 'D' && right == 'A') return -0.08 * style.capHeight;
  return 0;
}

}  // namespace

double LetteringWidth(std::string_view word, const Lettering& style) {
  double width = 0;
  for (std::size_t i = 0; i < word.size(); ++i) {
    width += InkWidth(LetterOf(word[i]), style);
    if (i + 1 < word.size()) width += style.gap + PairAdjust(word[i], word[i + 1], style);
  }
  return width;
}

Shape LetteringShape(std::string_view word, double left, double top, const Lettering& style) {
  const double scale = style.capHeight - 2 * style.halfWidth;
  Shape shape = [](double, double) { return 1e9; };
  double x = left;
  for (std::size_t i = 0; i < word.size(); ++i) {
    const Letter letter = LetterOf(word[i]);
    for (const auto& stroke : letter.strokes) {
      std::vector<Point> points;
      for (Point p : stroke) points.push_back({x + style.halfWidth + p.x * scale, top + style.halfWidth + p.y * scale});
      shape = Union(shape, Stroke(points, style.halfWidth));
    }
    x += InkWidth(letter, style);
    if (i + 1 < word.size()) x += style.gap + PairAdjust(word[i], word[i + 1], style);
  }
  return shape;
}

}  // namespace vexaro::skin
