// Floating-point picture that the skin artwork is painted on: anti-aliased
// filling of shapes given as signed distances, gradients, soft glows, and
// copying between pictures. Everything is plain arithmetic so the same
// program paints the same bytes on every run.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace vexaro::skin {

// Non-premultiplied colour, every channel in 0..1 (sRGB values).
struct Colour {
  double r = 0, g = 0, b = 0, a = 1;
};

Colour Hex(std::uint32_t rgb, double alpha = 1.0);
Colour Mix(Colour from, Colour to, double t);
Colour WithAlpha(Colour c, double alpha);

// Signed distance in pixels from a point to a shape's outline, negative inside.
using Shape = std::function<double(double x, double y)>;
// Colour of a fill at a point.
using Paint = std::function<Colour(double x, double y)>;

Paint Solid(Colour c);
Paint VerticalGradient(double y0, Colour top, double y1, Colour bottom);
Paint HorizontalGradient(double x0, Colour left, double x1, Colour right);

class Canvas {
 public:
  Canvas() = default;
  Canvas(int width, int height, Colour fill);

  int Width() const { return width_; }
  int Height() const { return height_; }
  Colour At(int x, int y) const { return pixels_[Index(x, y)]; }
  void Set(int x, int y, Colour c) { pixels_[Index(x, y)] = c; }

  // Source-over blending of c, weighted by coverage (0..1).
  void Blend(int x, int y, Colour c, double coverage);
  // Anti-aliased fill: a pixel is covered by the part of its area inside the shape,
  // estimated from the distance at its centre.
  void Fill(const Shape& shape, const Paint& paint);
  void Fill(const Shape& shape, Colour c) { Fill(shape, Solid(c)); }
  // Light that fades out over `radius` pixels outside the shape.
  void Glow(const Shape& shape, Colour c, double radius);
  // Blends another picture over this one with its top-left corner at (x, y).
  void Draw(const Canvas& source, int x, int y);
  Canvas Crop(int x, int y, int width, int height) const;

 private:
  std::size_t Index(int x, int y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x);
  }
  int width_ = 0;
  int height_ = 0;
  std::vector<Colour> pixels_;
};

// One-pixel border along the picture's edges.
void DrawBorder(Canvas& canvas, Colour colour);

// Coverage of a pixel whose centre lies `distance` from an outline.
double CoverageAt(double distance);

// 8-bit channel value of a 0..1 channel, rounded.
std::uint8_t ToByte(double channel);

}  // namespace vexaro::skin
