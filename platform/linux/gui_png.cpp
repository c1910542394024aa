// PNG files with libpng: writing bitmaps, and reading the PNG images that
// icons may hold.
#include <png.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/gui/backend.h"

namespace vexaro::gui::native {

bool DecodePng(const unsigned char* data, std::size_t size, Bitmap*& out, std::string* error) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, data, size)) {
    if (error) *error = std::string("PNG image unreadable: ") + image.message;
    return false;
  }
  image.format = PNG_FORMAT_BGRA;  // memory order of our 0xAARRGGBB pixels
  // Only icons hold PNG images here; anything beyond 1024 pixels a side is not one.
  if (image.width == 0 || image.height == 0 || image.width > 1024 || image.height > 1024) {
    png_image_free(&image);
    if (error) *error = "PNG image size invalid";
    return false;
  }
  auto* bmp = new Bitmap(static_cast<int>(image.width), static_cast<int>(image.height));
  if (!png_image_finish_read(&image, nullptr, bmp->pixels.data(), 0, nullptr)) {
    delete bmp;
    if (error) *error = std::string("PNG image unreadable: ") + image.message;
    return false;
  }
  bmp->hasAlpha = true;
  out = bmp;
  return true;
}

bool WritePngFile(const Bitmap& bmp, const std::string& path, std::string* error) {
  if (bmp.width <= 0 || bmp.height <= 0) {
    if (error) *error = "empty bitmap";
    return false;
  }
  const std::vector<std::uint32_t> top_down = PixelsForFile(bmp);
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(bmp.width);
  image.height = static_cast<png_uint_32>(bmp.height);
  image.format = PNG_FORMAT_BGRA;
  if (!png_image_write_to_file(&image, path.c_str(), 0, top_down.data(), 0, nullptr)) {
    if (error) *error = path + ": " + image.message;
    return false;
  }
  return true;
}

}  // namespace vexaro::gui::native
