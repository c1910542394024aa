#include "tools/skin-gen/text.h"

#include <ft2build.h>
#include FT_FREETYPE_H

namespace vexaro::skin {

struct Font::Impl {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  ~Impl() {
    if (face) FT_Done_Face(face);
    if (library) FT_Done_FreeType(library);
  }

  // Light hinting: crisp horizontal stems at small sizes, shapes kept otherwise.
  bool Load(int pixels, unsigned char c, bool render) const {
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixels));
    FT_Int32 flags = FT_LOAD_TARGET_LIGHT | (render ? FT_LOAD_RENDER : 0);
    return FT_Load_Char(face, c, flags) == 0;
  }
};

Font::Font(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Font::~Font() = default;

std::unique_ptr<Font> Font::Open(const std::string& path, std::string& error) {
  auto impl = std::make_unique<Impl>();
  if (FT_Init_FreeType(&impl->library) != 0) {
    error = "cannot start FreeType";
    return nullptr;
  }
  if (FT_New_Face(impl->library, path.c_str(), 0, &impl->face) != 0) {
    error = "cannot open font file " + path + " (install fonts-dejavu-core)";
    return nullptr;
  }
  return std::unique_ptr<Font>(new Font(std::move(impl)));
}

int Font::Width(int pixels, std::string_view text, int tracking) const {
  long width = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!impl_->Load(pixels, static_cast<unsigned char>(text[i]), false)) continue;
    width += (impl_->face->glyph->advance.x + 32) >> 6;
    if (i + 1 < text.size()) width += tracking;
  }
  return static_cast<int>(width);
}

void Font::Draw(Canvas& canvas, int pixels, int x, int baseline, std::string_view text, Colour colour,
                int tracking) const {
  long pen = x;
  for (char ch : text) {
    if (!impl_->Load(pixels, static_cast<unsigned char>(ch), true)) continue;
    const FT_GlyphSlot glyph = impl_->face->glyph;
    const FT_Bitmap& bitmap = glyph->bitmap;
    for (unsigned row = 0; row < bitmap.rows; ++row) {
      for (unsigned col = 0; col < bitmap.width; ++col) {
        unsigned char value = bitmap.buffer[static_cast<long>(row) * bitmap.pitch + col];
        if (value == 0) continue;
        int px = static_cast<int>(pen) + glyph->bitmap_left + static_cast<int>(col);
        int py = baseline - glyph->bitmap_top + static_cast<int>(row);
        canvas.Blend(px, py, colour, value / 255.0);
      }
    }
    pen += ((glyph->advance.x + 32) >> 6) + tracking;
  }
}

void Font::DrawCentred(Canvas& canvas, int pixels, int centreX, int baseline, std::string_view text, Colour colour,
                       int tracking) const {
  Draw(canvas, pixels, centreX - Width(pixels, text, tracking) / 2, baseline, text, colour, tracking);
}

void Font::DrawRightAligned(Canvas& canvas, int pixels, int right, int baseline, std::string_view text,
                            Colour colour) const {
  Draw(canvas, pixels, right - Width(pixels, text), baseline, text, colour);
}

bool OpenFonts(const std::string& dir, Fonts& fonts, std::string& error) {
  fonts.regular = Font::Open(dir + "/" + kRegularFontFile, error);
  if (!fonts.regular) return false;
  fonts.bold = Font::Open(dir + "/" + kBoldFontFile, error);
  return fonts.bold != nullptr;
}

}  // namespace vexaro::skin
