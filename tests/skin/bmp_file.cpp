#include "tests/skin/bmp_file.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace vexaro::skin::test {

namespace {

std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
         static_cast<std::uint32_t>(b[at + 2]) << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

unsigned Le16(const std::vector<std::uint8_t>& b, std::size_t at) { return b[at] | static_cast<unsigned>(b[at + 1]) << 8; }

}  // namespace

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

bool DecodeBmp24(const std::vector<std::uint8_t>& b, BmpPicture& out, std::string& error) {
  if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') {
    error = "not a BMP file";
    return false;
  }
  const std::uint32_t dataOffset = Le32(b, 10);
  const auto width = static_cast<std::int32_t>(Le32(b, 18));
  const auto height = static_cast<std::int32_t>(Le32(b, 22));
  if (Le32(b, 14) != 40 || Le16(b, 26) != 1 || Le16(b, 28) != 24 || Le32(b, 30) != 0) {
    error = "not an uncompressed 24-bit BMP with a 40-byte header";
    return false;
  }
  if (width <= 0 || height <= 0 || width > 4096 || height > 4096) {
    error = "width or height out of range (rows must be bottom-up)";
    return false;
  }
  const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
  if (Le32(b, 2) != b.size() || dataOffset + stride * static_cast<std::size_t>(height) != b.size()) {
    error = "file size does not match the header";
    return false;
  }
  out.width = width;
  out.height = height;
  out.pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), Rgb{});
  for (int y = 0; y < height; ++y) {
    const std::size_t row = dataOffset + stride * static_cast<std::size_t>(height - 1 - y);
    for (int x = 0; x < width; ++x) {
      const std::size_t at = row + static_cast<std::size_t>(x) * 3;
      out.pixels[static_cast<std::size_t>(y * width + x)] = Rgb{b[at + 2], b[at + 1], b[at]};
    }
  }
  return true;
}

// Appended to a named string: GCC 12 -O2 takes a literal added to a
// temporary string for a copy past the temporary's inline buffer.
std::string SkinDir() {
  std::string dir = VEXARO_SOURCE_DIR;
  dir.append("/res/skin");
  return dir;
}

std::string SkinFileOf(int id) {
  const std::string prefix = std::to_string(id) + "-";
  for (const auto& entry : std::filesystem::directory_iterator(SkinDir())) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(prefix, 0) == 0) return entry.path().string();
  }
  return {};
}

}  // namespace vexaro::skin::test
