// System fonts on Linux: fontconfig picks the face file for a description
// (face name, family, weight, slant) and FreeType renders its glyphs.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>
#include <string>
#include <tuple>

#include "platform/gui/backend.h"
#include "platform/sys/sys.h"

namespace vexaro::gui::native {
namespace {

// FreeType's library and faces are not thread-safe; every use holds this lock.
std::mutex& FtLock() {
  static std::mutex m;
  return m;
}

FT_Library Library() {
  static FT_Library lib = [] {
    FT_Library l = nullptr;
    if (FT_Init_FreeType(&l) != 0) return static_cast<FT_Library>(nullptr);
    return l;
  }();
  return lib;
}

const char* FamilyName(BYTE pitch_family) {
  switch (pitch_family & 0xF0) {
    case FF_ROMAN: return "serif";
    case FF_MODERN: return "monospace";
    default: return "sans-serif";
  }
}

struct Match {
  std::string file;
  int index = 0;
  bool embolden = false;
  bool oblique = false;
};

bool FindFile(const LOGFONT& desc, Match& out) {
  if (!FcInit()) return false;
  FcPattern* pat = FcPatternCreate();
  if (!desc.lfFaceName.empty())
    FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(desc.lfFaceName.c_str()));
  FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(FamilyName(desc.lfPitchAndFamily)));
  const int weight = desc.lfWeight >= FW_SEMIBOLD ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR;
  FcPatternAddInteger(pat, FC_WEIGHT, weight);
  FcPatternAddInteger(pat, FC_SLANT, desc.lfItalic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pat, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pat, FcMatchPattern);
  FcDefaultSubstitute(pat);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pat, &result);
  FcPatternDestroy(pat);
  if (!match) return false;
  FcChar8* file = nullptr;
  int got_weight = FC_WEIGHT_REGULAR, got_slant = FC_SLANT_ROMAN;
  bool ok = FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch;
  if (ok) {
    out.file = reinterpret_cast<const char*>(file);
    FcPatternGetInteger(match, FC_INDEX, 0, &out.index);
    FcPatternGetInteger(match, FC_WEIGHT, 0, &got_weight);
    FcPatternGetInteger(match, FC_SLANT, 0, &got_slant);
    out.embolden = weight == FC_WEIGHT_BOLD && got_weight < FC_WEIGHT_DEMIBOLD;
    out.oblique = desc.lfItalic && got_slant == FC_SLANT_ROMAN;
  }
  FcPatternDestroy(match);
  return ok;
}

class FreeTypeFace final : public FontFace {
 public:
  FreeTypeFace(FT_Face face, bool embolden, bool oblique) : face_(face), embolden_(embolden), oblique_(oblique) {
    ascent_ = static_cast<int>((face_->size->metrics.ascender + 63) >> 6);
    descent_ = static_cast<int>((-face_->size->metrics.descender + 63) >> 6);
  }
  ~FreeTypeFace() override {
    std::lock_guard lock(FtLock());
    FT_Done_Face(face_);
  }
  int Ascent() const override { return ascent_; }
  int Descent() const override { return descent_; }

  const GlyphImage& Glyph(std::uint32_t code) override {
    std::lock_guard lock(FtLock());
    auto it = cache_.find(code);
    if (it != cache_.end()) return it->second;
    GlyphImage& g = cache_[code];
    if (FT_Load_Char(face_, code, FT_LOAD_DEFAULT) != 0) return g;
    FT_GlyphSlot slot = face_->glyph;
    if (embolden_) FT_GlyphSlot_Embolden(slot);
    if (oblique_) FT_GlyphSlot_Oblique(slot);
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return g;
    const FT_Bitmap& bm = slot->bitmap;
    g.width = static_cast<int>(bm.width);
    g.height = static_cast<int>(bm.rows);
    g.left = slot->bitmap_left;
    g.top = slot->bitmap_top;
    g.advance = static_cast<int>((slot->advance.x + 32) >> 6);
    g.coverage.resize(static_cast<std::size_t>(g.width) * static_cast<std::size_t>(g.height));
    for (int y = 0; y < g.height; ++y)
      for (int x = 0; x < g.width; ++x)
        g.coverage[static_cast<std::size_t>(y * g.width + x)] = bm.buffer[y * bm.pitch + x];
    return g;
  }

 private:
  FT_Face face_;
  bool embolden_;
  bool oblique_;
  int ascent_ = 0;
  int descent_ = 0;
  std::map<std::uint32_t, GlyphImage> cache_;
};

// Largest em square rendered, in pixels. Heights come from settings files
// too (any 32-bit value); a glyph at this size still takes only megabytes.
constexpr double kMaxEmPixels = 1024;

// Pixel size of the em square for a requested height: negative heights are
// character heights, positive ones cell heights (ascent + descent).
FT_F26Dot6 EmSize(FT_Face face, LONG height) {
  if (height == 0) height = -12;
  double em = -static_cast<double>(height);  // exact, also for the most negative height
  if (height > 0) {
    const double cell = static_cast<double>(face->ascender - face->descender);
    em = cell > 0 ? height * static_cast<double>(face->units_per_EM) / cell : height;
  }
  return static_cast<FT_F26Dot6>(std::lround(std::min(em, kMaxEmPixels) * 64.0));
}

}  // namespace

std::shared_ptr<FontFace> MatchFontFace(const LOGFONT& desc) {
  using Key = std::tuple<std::string, LONG, LONG, BYTE, BYTE>;
  static std::mutex cache_lock;
  static std::map<Key, std::weak_ptr<FontFace>> cache;
  const Key key{desc.lfFaceName, desc.lfHeight, desc.lfWeight >= FW_SEMIBOLD ? 1 : 0,
                desc.lfItalic, static_cast<BYTE>(desc.lfPitchAndFamily & 0xF0)};
  std::lock_guard lock(cache_lock);
  if (auto hit = cache[key].lock()) return hit;
  Match m;
  if (!FindFile(desc, m)) {
    sys::DebugOutput("gui: no font matches the face '" + desc.lfFaceName + "'\n");
    return nullptr;
  }
  std::shared_ptr<FontFace> made;
  {
    std::lock_guard ft(FtLock());
    FT_Library lib = Library();
    FT_Face face = nullptr;
    if (!lib || FT_New_Face(lib, m.file.c_str(), m.index, &face) != 0) {
      sys::DebugOutput("gui: cannot open font file " + m.file + "\n");
      return nullptr;
    }
    FT_Set_Char_Size(face, 0, EmSize(face, desc.lfHeight), 72, 72);
    made = std::make_shared<FreeTypeFace>(face, m.embolden, m.oblique);
  }
  cache[key] = made;
  return made;
}

}  // namespace vexaro::gui::native
