#include "tools/skin-gen/shapes.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace vexaro::skin {

namespace {

double SegmentDistance(Point p, Point a, Point b) {
  double bax = b.x - a.x;
  double bay = b.y - a.y;
  double pax = p.x - a.x;
  double pay = p.y - a.y;
  double len2 = bax * bax + bay * bay;
  double t = len2 > 0 ? std::clamp((pax * bax + pay * bay) / len2, 0.0, 1.0) : 0.0;
  return std::hypot(pax - bax * t, pay - bay * t);
}

}  // namespace

Shape Circle(double cx, double cy, double radius) {
  return [=](double x, double y) { return std::hypot(x - cx, y - cy) - radius; };
}

Shape RoundRect(double left, double top, double right, double bottom, double radius) {
  double cx = (left + right) / 2;
  double cy = (top + bottom) / 2;
  double hx = (right - left) / 2 - radius;
  double hy = (bottom - top) / 2 - radius;
  return [=](double x, double y) {
    double qx = std::abs(x - cx) - hx;
    double qy = std::abs(y - cy) - hy;
    double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
    return outside + std::min(std::max(qx, qy), 0.0) - radius;
  };
}

Shape Stroke(std::vector<Point> points, double halfWidth) {
  return [pts = std::move(points), halfWidth](double x, double y) {
    double best = 1e9;
    for (std::size_t i = 0; i + 1 < pts.size(); ++i) best = std::min(best, SegmentDistance({x, y}, pts[i], pts[i + 1]));
    return best - halfWidth;
  };
}

// Exact distance to a polygon; the sign comes from the crossing count.
Shape Polygon(std::vector<Point> corners) {
  return [v = std::move(corners)](double x, double y) {
    double best = 1e18;
    bool inside = false;
    for (std::size_t i = 0, j = v.size() - 1; i < v.size(); j = i++) {
      best = std::min(best, SegmentDistance({x, y}, v[j], v[i]));
      bool crosses = (v[i].y > y) != (v[j].y > y);
      if (crosses && x < (v[j].x - v[i].x) * (y - v[i].y) / (v[j].y - v[i].y) + v[i].x) inside = !inside;
    }
    return inside ? -best : best;
  };
}

Shape Union(Shape a, Shape b) {
  return [a = std::move(a), b = std::move(b)](double x, double y) { return std::min(a(x, y), b(x, y)); };
}

Shape Subtract(Shape from, Shape cut) {
  return [a = std::move(from), b = std::move(cut)](double x, double y) { return std::max(a(x, y), -b(x, y)); };
}

Shape Intersect(Shape a, Shape b) {
  return [a = std::move(a), b = std::move(b)](double x, double y) { return std::max(a(x, y), b(x, y)); };
}

Shape Outline(Shape s, double halfWidth) {
  return [s = std::move(s), halfWidth](double x, double y) { return std::abs(s(x, y)) - halfWidth; };
}

Shape Grow(Shape s, double by) {
  return [s = std::move(s), by](double x, double y) { return s(x, y) - by; };
}

Shape Translate(Shape s, double dx, double dy) {
  return [s = std::move(s), dx, dy](double x, double y) { return s(x - dx, y - dy); };
}

Shape HalfPlaneBelow(double y0) {
  return [y0](double, double y) { return y0 - y; };
}

}  // namespace vexaro::skin
