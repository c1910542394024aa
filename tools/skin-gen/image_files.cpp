#include "tools/skin-gen/image_files.h"

#include <png.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace vexaro::skin {

namespace {

void Put16(Bytes& out, unsigned value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
  out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void Put32(Bytes& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

std::uint32_t U32(int value) { return static_cast<std::uint32_t>(value); }

// BITMAPINFOHEADER; `rowsHeight` is twice the picture height inside an icon.
void PutInfoHeader(Bytes& out, int width, int rowsHeight, unsigned bits, std::uint32_t imageSize) {
  Put32(out, 40);
  Put32(out, U32(width));
  Put32(out, U32(rowsHeight));
  Put16(out, 1);
  Put16(out, bits);
  Put32(out, 0);  // BI_RGB
  Put32(out, imageSize);
  Put32(out, 2835);  // 72 dpi
  Put32(out, 2835);
  Put32(out, 0);
  Put32(out, 0);
}

// The pixels of a device-independent bitmap: rows bottom-up, each pixel blue,
// green, red and (with 4 bytes a pixel) alpha, each row padded to 4 bytes.
void PutPixelsBottomUp(Bytes& out, const Canvas& picture, int bytesPerPixel) {
  const int w = picture.Width();
  const int stride = (w * bytesPerPixel + 3) / 4 * 4;
  for (int y = picture.Height() - 1; y >= 0; --y) {
    for (int x = 0; x < w; ++x) {
      const Colour c = picture.At(x, y);
      out.push_back(ToByte(c.b));
      out.push_back(ToByte(c.g));
      out.push_back(ToByte(c.r));
      if (bytesPerPixel == 4) out.push_back(ToByte(c.a));
    }
    for (int pad = w * bytesPerPixel; pad < stride; ++pad) out.push_back(0);
  }
}

Bytes IconImage(const Canvas& picture) {
  const int w = picture.Width();
  const int h = picture.Height();
  const int maskStride = ((w + 31) / 32) * 4;
  Bytes out;
  PutInfoHeader(out, w, h * 2, 32, U32(w * h * 4 + maskStride * h));
  PutPixelsBottomUp(out, picture, 4);
  // AND mask: set bits are transparent where alpha is not understood.
  for (int y = h - 1; y >= 0; --y) {
    Bytes row(static_cast<std::size_t>(maskStride), 0);
    for (int x = 0; x < w; ++x) {
      if (ToByte(picture.At(x, y).a) == 0) row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

}  // namespace

Bytes EncodeBmp24(const Canvas& picture) {
  const int w = picture.Width();
  const int h = picture.Height();
  const int stride = (w * 3 + 3) / 4 * 4;
  const std::uint32_t imageSize = U32(stride * h);
  Bytes out;
  out.push_back('B');
  out.push_back('M');
  Put32(out, 14 + 40 + imageSize);
  Put32(out, 0);
  Put32(out, 14 + 40);
  PutInfoHeader(out, w, h, 24, imageSize);
  PutPixelsBottomUp(out, picture, 3);
  return out;
}

Bytes EncodeIco(const std::vector<Canvas>& sizes) {
  std::vector<Bytes> images;
  for (const Canvas& c : sizes) images.push_back(IconImage(c));
  Bytes out;
  Put16(out, 0);
  Put16(out, 1);  // icon
  Put16(out, static_cast<unsigned>(sizes.size()));
  std::uint32_t offset = U32(6 + 16 * static_cast<int>(sizes.size()));
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    // A dimension of 256 is written as 0.
    out.push_back(static_cast<std::uint8_t>(sizes[i].Width() & 0xFF));
    out.push_back(static_cast<std::uint8_t>(sizes[i].Height() & 0xFF));
    out.push_back(0);  // no palette
    out.push_back(0);
    Put16(out, 1);   // planes
    Put16(out, 32);  // bits per pixel
    Put32(out, U32(static_cast<int>(images[i].size())));
    Put32(out, offset);
    offset += U32(static_cast<int>(images[i].size()));
  }
  for (const Bytes& image : images) out.insert(out.end(), image.begin(), image.end());
  return out;
}

bool EncodePng(const Canvas& picture, Bytes& out, std::string& error) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    error = "cannot start libpng";
    return false;
  }
  out.clear();
  std::vector<png_byte> rows(static_cast<std::size_t>(picture.Width()) * 3 * static_cast<std::size_t>(picture.Height()));
  std::size_t at = 0;
  for (int y = 0; y < picture.Height(); ++y) {
    for (int x = 0; x < picture.Width(); ++x) {
      Colour c = picture.At(x, y);
      rows[at++] = ToByte(c.r);
      rows[at++] = ToByte(c.g);
      rows[at++] = ToByte(c.b);
    }
  }
  auto sink = [](png_structp p, png_bytep data, png_size_t length) {
    auto* buffer = static_cast<Bytes*>(png_get_io_ptr(p));
    buffer->insert(buffer->end(), data, data + length);
  };
  // libpng reports errors by longjmp; nothing here owns resources that would leak.
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    error = "libpng failed to encode the preview";
    return false;
  }
  png_set_write_fn(png, &out, sink, nullptr);
  png_set_IHDR(png, info, static_cast<png_uint_32>(picture.Width()), static_cast<png_uint_32>(picture.Height()), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, 9);
  png_write_info(png, info);
  for (int y = 0; y < picture.Height(); ++y) {
    png_write_row(png, &rows[static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.Width()) * 3]);
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return true;
}

bool SaveFile(const std::string& path, const Bytes& bytes, std::string& error) {
  const std::string temporary = path + ".tmp";
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    if (!file) {
      error = "cannot create " + temporary;
      return false;
    }
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) {
      error = "cannot write " + temporary;
      std::remove(temporary.c_str());
      return false;
    }
  }
  std::error_code ec;
  std::filesystem::rename(temporary, path, ec);
  if (ec) {
    error = "cannot rename " + temporary + " to " + path + ": " + ec.message();
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace vexaro::skin
