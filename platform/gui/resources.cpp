// The table of embedded resources and the BMP and ICO decoders.
#include "platform/gui/resources.h"

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <cstring>
#include <map>
#include <mutex>
#include <utility>

#include "platform/gui/backend.h"
#include "platform/gui/window.h"
#include "platform/sys/sys.h"

namespace vexaro::gui {

namespace {

struct Table {
  std::mutex m;
  std::map<std::pair<int, std::string>, const EmbeddedResource*> entries;
};

Table& Resources() {
  static Table* t = new Table;
  return *t;
}

std::uint32_t U32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint16_t U16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::int32_t S32(const unsigned char* p) { return static_cast<std::int32_t>(U32(p)); }

bool Fail(std::string* error, const std::string& what) {
  if (error) *error = what;
  return false;
}

constexpr std::int64_t kMaxSide = 16384;

// A device-independent bitmap (info header, optional palette, pixels). For
// icons the height covers the colour image and the mask below it.
Bitmap* DecodeDib(const unsigned char* d, std::size_t size, std::size_t bits_offset, bool icon,
                  std::string* error) {
  if (size < 40) return Fail(error, "bitmap header truncated (" + std::to_string(size) + " bytes)"), nullptr;
  const std::uint32_t hsize = U32(d);
  const std::int32_t width = S32(d + 4);
  const std::int32_t raw_height = S32(d + 8);
  const std::uint16_t bpp = U16(d + 14);
  const std::uint32_t compression = U32(d + 16);
  std::uint32_t colors = U32(d + 32);
  if (hsize < 40 || hsize > size) return Fail(error, "bitmap header size " + std::to_string(hsize) + " invalid"), nullptr;
  if (compression != 0 && !(compression == 3 && bpp == 32))
    return Fail(error, "bitmap compression " + std::to_string(compression) + " not supported"), nullptr;
  if (bpp != 32 && bpp != 24 && bpp != 8 && bpp != 4 && bpp != 1)
    return Fail(error, "bitmap depth " + std::to_string(bpp) + " not supported"), nullptr;
  const bool top_down = raw_height < 0;
  // In 64 bits: the most negative 32-bit height has no 32-bit magnitude.
  std::int64_t rows = top_down ? -static_cast<std::int64_t>(raw_height) : raw_height;
  if (icon) rows /= 2;
  if (width <= 0 || rows <= 0 || width > kMaxSide || rows > kMaxSide)
    return Fail(error, "bitmap size " + std::to_string(width) + "x" + std::to_string(rows) + " invalid"), nullptr;
  const int height = static_cast<int>(rows);
  if (bpp <= 8 && colors == 0) colors = 1u << bpp;
  const std::size_t palette_at = hsize + (compression == 3 && hsize == 40 ? 12 : 0);
  const std::size_t palette_bytes = bpp <= 8 ? static_cast<std::size_t>(colors) * 4 : 0;
  if (bpp <= 8 && (colors > 256 || palette_at + palette_bytes > size))
    return Fail(error, "bitmap palette exceeds the data"), nullptr;
  if (bits_offset == 0) bits_offset = palette_at + palette_bytes;
  const std::size_t stride = ((static_cast<std::size_t>(width) * bpp + 31) / 32) * 4;
  const std::size_t mask_stride = ((static_cast<std::size_t>(width) + 31) / 32) * 4;
  const std::size_t need = bits_offset + stride * static_cast<std::size_t>(height) +
                           (icon ? mask_stride * static_cast<std::size_t>(height) : 0);
  if (bits_offset > size || need > size)
    return Fail(error, "bitmap pixels exceed the data (" + std::to_string(need) + " > " + std::to_string(size) + ")"), nullptr;
  auto* bmp = new Bitmap(width, height);
  bool any_alpha = false;
  for (int y = 0; y < height; ++y) {
    const int src_row = top_down ? y : height - 1 - y;
    const unsigned char* row = d + bits_offset + stride * static_cast<std::size_t>(src_row);
    std::uint32_t* out = bmp->Row(y);
    for (int x = 0; x < width; ++x) {
      std::uint32_t px = 0;
      if (bpp == 32) {
        px = U32(row + x * 4);
      } else if (bpp == 24) {
        const unsigned char* p = row + x * 3;
        px = 0xFF000000u | (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[1]) << 8) | p[0];
      } else {
        const int per_byte = 8 / bpp;
        const unsigned byte = row[x / per_byte];
        const unsigned shift = static_cast<unsigned>((per_byte - 1 - x % per_byte) * bpp);
        const unsigned index = (byte >> shift) & ((1u << bpp) - 1);
        if (index >= colors) px = 0xFF000000u;
        else px = 0xFF000000u | (U32(d + palette_at + index * 4) & 0x00FFFFFFu);
      }
      if ((px >> 24) != 0) any_alpha = true;
      out[x] = px;
    }
  }
  if (icon) {
    const std::size_t mask_at = bits_offset + stride * static_cast<std::size_t>(height);
    bmp->hasAlpha = true;
    for (int y = 0; y < height; ++y) {
      const unsigned char* row = d + mask_at + mask_stride * static_cast<std::size_t>(top_down ? y : height - 1 - y);
      for (int x = 0; x < width; ++x) {
        std::uint32_t& px = bmp->Row(y)[x];
        const bool masked = (row[x / 8] >> (7 - x % 8)) & 1;
        if (bpp != 32 || !any_alpha) px = (px & 0x00FFFFFFu) | (masked ? 0u : 0xFF000000u);
      }
    }
  } else {
    for (auto& px : bmp->pixels) px |= 0xFF000000u;  // plain bitmaps are opaque
  }
  return bmp;
}

}  // namespace

bool RegisterResources(const EmbeddedResource* table, std::size_t count) {
  Table& t = Resources();
  std::lock_guard lock(t.m);
  for (std::size_t i = 0; i < count; ++i) t.entries[{table[i].id, table[i].kind}] = &table[i];
  return true;
}

std::vector<const EmbeddedResource*> ListResources() {
  Table& t = Resources();
  std::lock_guard lock(t.m);
  std::vector<const EmbeddedResource*> out;
  for (auto& [key, entry] : t.entries) out.push_back(entry);
  return out;
}

const EmbeddedResource* FindResource(int id, std::string_view kind) {
  Table& t = Resources();
  std::lock_guard lock(t.m);
  auto it = t.entries.find({id, std::string(kind)});
  return it == t.entries.end() ? nullptr : it->second;
}

HBITMAP DecodeBmp(const unsigned char* data, std::size_t size, std::string* error) {
  if (!data || size < 14 + 40 || data[0] != 'B' || data[1] != 'M')
    return Fail(error, "not a BMP file (no 'BM' signature or shorter than 54 bytes)"), nullptr;
  const std::uint32_t offset = U32(data + 10);
  if (offset < 14 + 40 || offset > size) return Fail(error, "BMP pixel offset " + std::to_string(offset) + " invalid"), nullptr;
  return DecodeDib(data + 14, size - 14, offset - 14, false, error);
}

HICON DecodeIco(const unsigned char* data, std::size_t size, std::string* error) {
  if (!data || size < 6 || U16(data) != 0 || U16(data + 2) != 1)
    return Fail(error, "not an ICO file (bad header)"), nullptr;
  const std::size_t count = U16(data + 4);
  if (count == 0 || 6 + count * 16 > size) return Fail(error, "ICO directory exceeds the data"), nullptr;
  std::size_t best = 0;
  long best_score = std::numeric_limits<long>::min();
  for (std::size_t i = 0; i < count; ++i) {
    const unsigned char* e = data + 6 + i * 16;
    // The standard icon size (32 x 32) is taken, as the system does; then the
    // deepest colour.
    const long w = e[0] ? e[0] : 256, h = e[1] ? e[1] : 256;
    const long score = -(std::labs(w - 32) + std::labs(h - 32)) * 1000 + U16(e + 6);
    if (score > best_score) {
      best_score = score;
      best = i;
    }
  }
  const unsigned char* e = data + 6 + best * 16;
  const std::uint32_t bytes = U32(e + 8), offset = U32(e + 12);
  if (offset > size || bytes > size - offset) return Fail(error, "ICO image exceeds the data"), nullptr;
  const unsigned char* img = data + offset;
  if (bytes >= 8 && std::memcmp(img, "\x89PNG", 4) == 0) {
    Bitmap* out = nullptr;
    if (!DecodePng(img, bytes, out, error)) return nullptr;
    return out;
  }
  return DecodeDib(img, bytes, 0, true, error);
}

namespace {

// An embedded file of the kind, decoded; nullptr, said on the debug output,
// when the program holds none or it is damaged.
Bitmap* LoadEmbedded(int id, const char* kind, const char* what,
                     Bitmap* (*decode)(const unsigned char*, std::size_t, std::string*)) {
  const EmbeddedResource* r = FindResource(id, kind);
  if (!r) {
    sys::DebugOutput(std::string("gui: no ") + what + " resource " + std::to_string(id) + "\n");
    return nullptr;
  }
  std::string error;
  Bitmap* picture = decode(r->data, r->size, &error);
  if (!picture) sys::DebugOutput(std::string("gui: ") + what + " " + r->name + ": " + error + "\n");
  return picture;
}

}  // namespace

HBITMAP LoadBitmap(int id) { return LoadEmbedded(id, "bmp", "bitmap", DecodeBmp); }

HICON LoadIcon(int id) { return LoadEmbedded(id, "ico", "icon", DecodeIco); }

}  // namespace vexaro::gui
