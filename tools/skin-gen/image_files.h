// File forms of the skin: uncompressed 24-bit BMP for the bitmaps, a
// multi-size ICO with 32-bit alpha images for the icon, and PNG for previews.
// Encoders build the bytes in memory; SaveFile writes them whole or not at all.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/skin-gen/canvas.h"

namespace vexaro::skin {

using Bytes = std::vector<std::uint8_t>;

// Opaque picture as a bottom-up 24-bit BMP (alpha is ignored).
Bytes EncodeBmp24(const Canvas& picture);
// One 32-bit image per size, each with its transparency mask; sizes up to 256.
Bytes EncodeIco(const std::vector<Canvas>& sizes);
// 8-bit RGB PNG of an opaque picture; false with a reason on failure.
bool EncodePng(const Canvas& picture, Bytes& out, std::string& error);

// Writes to a temporary file beside `path` and renames it into place.
bool SaveFile(const std::string& path, const Bytes& bytes, std::string& error);

}  // namespace vexaro::skin
