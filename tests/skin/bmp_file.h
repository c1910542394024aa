// Test helper: reads the skin's files back (uncompressed 24-bit BMP) so the
// tests judge the committed bytes, not the generator's own pictures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vexaro::skin::test {

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
  bool IsWhite() const { return r == 255 && g == 255 && b == 255; }
};

struct BmpPicture {
  int width = 0;
  int height = 0;
  std::vector<Rgb> pixels;  // top row first
  Rgb At(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
};

std::vector<std::uint8_t> ReadBytes(const std::string& path);
// Decodes a bottom-up 24-bit BI_RGB BMP; false with a reason otherwise.
bool DecodeBmp24(const std::vector<std::uint8_t>& bytes, BmpPicture& out, std::string& error);

// The committed skin directory.
std::string SkinDir();
// Path of the committed file whose name starts with "<id>-".
std::string SkinFileOf(int id);

}  // namespace vexaro::skin::test
