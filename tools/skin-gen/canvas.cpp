#include "tools/skin-gen/canvas.h"

#include <algorithm>
#include <cmath>

namespace vexaro::skin {

Colour Hex(std::uint32_t rgb, double alpha) {
  return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0, alpha};
}

Colour Mix(Colour from, Colour to, double t) {
  return {from.r + (to.r - from.r) * t, from.g + (to.g - from.g) * t, from.b + (to.b - from.b) * t,
          from.a + (to.a - from.a) * t};
}

Colour WithAlpha(Colour c, double alpha) {
  c.a = alpha;
  return c;
}

Paint Solid(Colour c) {
  return [c](double, double) { return c; };
}

Paint VerticalGradient(double y0, Colour top, double y1, Colour bottom) {
  return [=](double, double y) { return Mix(top, bottom, std::clamp((y - y0) / (y1 - y0), 0.0, 1.0)); };
}

Paint HorizontalGradient(double x0, Colour left, double x1, Colour right) {
  return [=](double x, double) { return Mix(left, right, std::clamp((x - x0) / (x1 - x0), 0.0, 1.0)); };
}

double CoverageAt(double distance) { return std::clamp(0.5 - distance, 0.0, 1.0); }

std::uint8_t ToByte(double channel) {
  return static_cast<std::uint8_t>(std::lround(std::clamp(channel, 0.0, 1.0) * 255.0));
}

void DrawBorder(Canvas& canvas, Colour colour) {
  for (int x = 0; x < canvas.Width(); ++x) {
    canvas.Set(x, 0, colour);
    canvas.Set(x, canvas.Height() - 1, colour);
  }
  for (int y = 0; y < canvas.Height(); ++y) {
    canvas.Set(0, y, colour);
    canvas.Set(canvas.Width() - 1, y, colour);
  }
}

Canvas::Canvas(int width, int height, Colour fill)
    : width_(width), height_(height), pixels_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill) {}

void Canvas::Blend(int x, int y, Colour c, double coverage) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  double src = c.a * coverage;
  if (src <= 0) return;
  Colour& dst = pixels_[Index(x, y)];
  double outA = src + dst.a * (1 - src);
  if (outA <= 0) return;
  auto channel = [&](double s, double d) { return (s * src + d * dst.a * (1 - src)) / outA; };
  dst = {channel(c.r, dst.r), channel(c.g, dst.g), channel(c.b, dst.b), outA};
}

void Canvas::Fill(const Shape& shape, const Paint& paint) {
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      double px = x + 0.5;
      double py = y + 0.5;
      double coverage = CoverageAt(shape(px, py));
      if (coverage > 0) Blend(x, y, paint(px, py), coverage);
    }
  }
}

void Canvas::Glow(const Shape& shape, Colour c, double radius) {
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      double d = shape(x + 0.5, y + 0.5);
      if (d >= radius) continue;
      double t = d <= 0 ? 1.0 : 1.0 - d / radius;
      Blend(x, y, c, t * t);
    }
  }
}

void Canvas::Draw(const Canvas& source, int x, int y) {
  for (int sy = 0; sy < source.height_; ++sy) {
    for (int sx = 0; sx < source.width_; ++sx) Blend(x + sx, y + sy, source.At(sx, sy), 1.0);
  }
}

Canvas Canvas::Crop(int x, int y, int width, int height) const {
  Canvas out(width, height, Colour{0, 0, 0, 0});
  for (int cy = 0; cy < height; ++cy) {
    for (int cx = 0; cx < width; ++cx) {
      int sx = x + cx;
      int sy = y + cy;
      if (sx >= 0 && sy >= 0 && sx < width_ && sy < height_) out.Set(cx, cy, At(sx, sy));
    }
  }
  return out;
}

}  // namespace vexaro::skin
