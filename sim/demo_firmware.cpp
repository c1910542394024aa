#include "sim/demo_firmware.h"

#include <algorithm>

namespace vexaro::sim {
namespace {

// xorshift32: a fixed sequence, so the "code" bytes never change.
struct Sequence {
  std::uint32_t state;
  std::uint8_t Next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return static_cast<std::uint8_t>(state >> 24);
  }
};

void PutLe32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  for (std::size_t i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void PutText(std::vector<std::uint8_t>& b, std::size_t at, std::string_view text, std::size_t width) {
  std::size_t n = std::min(text.size(), width - 1);
  std::copy_n(text.begin(), n, b.begin() + static_cast<std::ptrdiff_t>(at));
}

}  // namespace

std::vector<std::uint8_t> DemoInternalImage(std::string_view version) {
  std::vector<std::uint8_t> image(kDemoImageLength);
  Sequence code{0x1F2E3D4Cu};
  for (auto& byte : image) byte = code.Next();
  // A Cortex-M vector table: initial stack pointer, then handlers in the
  // application area (odd addresses: Thumb code).
  PutLe32(image, 0, 0x20002000u);
  for (std::size_t v = 1; v < kDemoHeaderOffset / 4; ++v) {
    PutLe32(image, v * 4, 0x00000C00u + 0x200u + static_cast<std::uint32_t>(v) * 8u + 1u);
  }
  std::size_t h = kDemoHeaderOffset;
  PutText(image, h, kDemoImageMagic, 5);
  PutLe32(image, h + 4, 1);  // header format
  PutLe32(image, h + 8, kDemoImageLength);
  std::fill_n(image.begin() + static_cast<std::ptrdiff_t>(h + 12), 52, std::uint8_t{0});
  PutText(image, h + 12, version, 16);
  PutText(image, h + 28, "Vexaro K7 demo", 20);
  PutText(image, h + 48, "2026-12-01", 16);
  return image;
}

std::vector<std::uint8_t> DemoExternalImage() {
  std::vector<std::uint8_t> image(kDemoExternalLength);
  PutText(image, 0, kDemoExternalMagic, 5);
  PutLe32(image, 4, kDemoExternalLength);
  // 102 keys × 10 bytes of lighting: a colour wheel across the key matrix.
  for (std::size_t key = 0; key < 102; ++key) {
    std::size_t at = 8 + key * 10;
    if (at + 10 > image.size()) break;
    image[at] = static_cast<std::uint8_t>(key);
    image[at + 1] = static_cast<std::uint8_t>(key * 5 / 2);
    image[at + 2] = static_cast<std::uint8_t>(255 - key * 2);
    image[at + 3] = static_cast<std::uint8_t>((key * 37) & 0xFF);
    for (std::size_t i = 4; i < 10; ++i) image[at + i] = static_cast<std::uint8_t>(i * 16 + key % 16);
  }
  for (std::size_t i = 8 + 102 * 10; i < image.size(); ++i) image[i] = 0xA5;
  return image;
}

}  // namespace vexaro::sim
