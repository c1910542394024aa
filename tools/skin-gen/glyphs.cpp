#include "tools/skin-gen/glyphs.h"

namespace vexaro::skin {

Shape CheckGlyph(double cx, double cy, double unit) {
  return Stroke({{cx - 7 * unit, cy + 0.5 * unit}, {cx - 2.5 * unit, cy + 5 * unit}, {cx + 7 * unit, cy - 5 * unit}},
                1.4 * unit);
}

Shape CrossGlyph(double cx, double cy, double unit) {
  double r = 5.5 * unit;
  return Union(Stroke({{cx - r, cy - r}, {cx + r, cy + r}}, 1.4 * unit),
               Stroke({{cx + r, cy - r}, {cx - r, cy + r}}, 1.4 * unit));
}

Shape ExclamationGlyph(double cx, double cy, double unit) {
  return Union(Stroke({{cx, cy - 7 * unit}, {cx, cy + 2 * unit}}, 1.5 * unit), Circle(cx, cy + 7 * unit, 1.7 * unit));
}

}  // namespace vexaro::skin
