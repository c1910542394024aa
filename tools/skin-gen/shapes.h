// Shapes for the skin artwork as signed-distance functions (pixels, negative
// inside), and the ways they combine. Pixel (x, y) spans x..x+1, y..y+1.
#pragma once

#include <vector>

#include "tools/skin-gen/canvas.h"

namespace vexaro::skin {

struct Point {
  double x = 0, y = 0;
};

Shape Circle(double cx, double cy, double radius);
Shape RoundRect(double left, double top, double right, double bottom, double radius);
// A stroke of the given half width along the segments of a polyline, round ends.
Shape Stroke(std::vector<Point> points, double halfWidth);
// A simple polygon (convex or not), corners given in order.
Shape Polygon(std::vector<Point> corners);

Shape Union(Shape a, Shape b);
Shape Subtract(Shape from, Shape cut);
Shape Intersect(Shape a, Shape b);
// The band of the given half width centred on a shape's outline.
Shape Outline(Shape s, double halfWidth);
// The shape grown outwards by `by` pixels (negative shrinks it).
Shape Grow(Shape s, double by);
Shape Translate(Shape s, double dx, double dy);
Shape HalfPlaneBelow(double y);

}  // namespace vexaro::skin
