// The icon file: a directory of square 32-bit images in the sizes the system
// asks for, each readable within the file, transparent at its rounded corners.
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "tests/skin/bmp_file.h"

namespace vexaro::skin::test {
namespace {

std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
         static_cast<std::uint32_t>(b[at + 2]) << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}
unsigned Le16(const std::vector<std::uint8_t>& b, std::size_t at) { return b[at] | static_cast<unsigned>(b[at + 1]) << 8; }

struct IconImage {
  int size = 0;
  std::size_t offset = 0;
};

// Alpha of pixel (x, y), top row first, of a bottom-up 32-bit icon image.
std::uint8_t AlphaAt(const std::vector<std::uint8_t>& b, const IconImage& image, int x, int y) {
  const std::size_t row = static_cast<std::size_t>(image.size - 1 - y);
  return b[image.offset + 40 + (row * static_cast<std::size_t>(image.size) + static_cast<std::size_t>(x)) * 4 + 3];
}

TEST(IconFile, DirectoryListsSquare32BitImagesThatLieInsideTheFile) {
  const std::vector<std::uint8_t> b = ReadBytes(SkinFileOf(129));
  ASSERT_GE(b.size(), 6u);
  EXPECT_EQ(Le16(b, 0), 0u);
  EXPECT_EQ(Le16(b, 2), 1u) << "type must be icon";
  const unsigned count = Le16(b, 4);
  ASSERT_GE(b.size(), 6u + 16u * count);
  std::set<int> sizes;
  for (unsigned i = 0; i < count; ++i) {
    const std::size_t entry = 6 + 16 * i;
    const int size = b[entry] == 0 ? 256 : b[entry];
    EXPECT_EQ(b[entry + 1], b[entry]) << "image " << i << " is not square";
    EXPECT_EQ(Le16(b, entry + 6), 32u);
    const std::uint32_t bytes = Le32(b, entry + 8);
    const std::uint32_t offset = Le32(b, entry + 12);
    ASSERT_LE(static_cast<std::size_t>(offset) + bytes, b.size()) << "image " << i;
    const std::size_t maskStride = (static_cast<std::size_t>(size) + 31) / 32 * 4;
    EXPECT_EQ(bytes, 40 + static_cast<std::size_t>(size) * static_cast<std::size_t>(size) * 4 +
                         maskStride * static_cast<std::size_t>(size));
    EXPECT_EQ(Le32(b, offset), 40u);
    EXPECT_EQ(Le32(b, offset + 4), static_cast<std::uint32_t>(size));
    EXPECT_EQ(Le32(b, offset + 8), static_cast<std::uint32_t>(2 * size)) << "icon images store twice the height";
    EXPECT_EQ(Le16(b, offset + 14), 32u);
    sizes.insert(size);
  }
  for (int wanted : {16, 32, 48, 256}) EXPECT_TRUE(sizes.count(wanted)) << "no " << wanted << " px image";
}

TEST(IconFile, CornersAreTransparentAndTheMiddleOpaque) {
  const std::vector<std::uint8_t> b = ReadBytes(SkinFileOf(129));
  ASSERT_GE(b.size(), 6u);
  for (unsigned i = 0; i < Le16(b, 4); ++i) {
    const std::size_t entry = 6 + 16 * i;
    const IconImage image{b[entry] == 0 ? 256 : b[entry], Le32(b, entry + 12)};
    const int last = image.size - 1;
    EXPECT_EQ(AlphaAt(b, image, 0, 0), 0) << image.size;
    EXPECT_EQ(AlphaAt(b, image, last, last), 0) << image.size;
    EXPECT_EQ(AlphaAt(b, image, image.size / 2, image.size / 2), 255) << image.size;
    // The AND mask marks the transparent corner too, for readers without alpha.
    const std::size_t maskStart = image.offset + 40 + static_cast<std::size_t>(image.size * image.size) * 4;
    const std::size_t maskStride = (static_cast<std::size_t>(image.size) + 31) / 32 * 4;
    const std::size_t topRow = maskStart + maskStride * static_cast<std::size_t>(last);
    EXPECT_TRUE(b[topRow] & 0x80) << image.size;
  }
}

}  // namespace
}  // namespace vexaro::skin::test
