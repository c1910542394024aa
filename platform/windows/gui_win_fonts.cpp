// System fonts on Windows: GDI chooses the font for a description (face
// name, height, weight, italic, pitch and family, as CreateFont takes them)
// and renders each glyph as an 8-bit coverage image.
#include "platform/gui/backend.h"
#include "platform/sys/sys.h"
// windows.h last: its macros would rename the framework's declarations.
#include <windows.h>

#include <map>
#include <mutex>
#include <tuple>

namespace vexaro::gui::native {
namespace {

// GGO_GRAY8_BITMAP gives 65 levels of coverage, 0 to 64.
constexpr int kGdiGrayLevels = 64;

class GdiFace final : public FontFace {
 public:
  GdiFace(::HDC dc, ::HFONT font, ::HGDIOBJ previous) : dc_(dc), font_(font), previous_(previous) {
    ::TEXTMETRICA tm{};
    GetTextMetricsA(dc_, &tm);
    ascent_ = tm.tmAscent;
    descent_ = tm.tmDescent;
  }
  ~GdiFace() override {
    ::SelectObject(dc_, previous_);
    ::DeleteObject(font_);
    ::DeleteDC(dc_);
  }
  int Ascent() const override { return ascent_; }
  int Descent() const override { return descent_; }

  // GDI device contexts belong to no thread but are not safe to share: every
  // use holds the face's lock.
  const GlyphImage& Glyph(std::uint32_t code) override {
    std::lock_guard lock(mutex_);
    auto it = cache_.find(code);
    if (it != cache_.end()) return it->second;
    GlyphImage& g = cache_[code];
    if (code <= 0xFFFF) Render(code, g);
    return g;
  }

 private:
  void Render(std::uint32_t code, GlyphImage& g) {
    const ::MAT2 identity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};
    ::GLYPHMETRICS gm{};
    const DWORD size = GetGlyphOutlineW(dc_, code, GGO_GRAY8_BITMAP, &gm, 0, nullptr, &identity);
    if (size == GDI_ERROR) return;
    g.advance = gm.gmCellIncX;
    if (size == 0) return;  // a blank glyph such as the space: advance only
    std::vector<std::uint8_t> gray(size);
    if (GetGlyphOutlineW(dc_, code, GGO_GRAY8_BITMAP, &gm, size, gray.data(), &identity) == GDI_ERROR) return;
    // Rows are padded to whole DWORDs; the stated size must hold them all.
    const std::size_t pitch = (static_cast<std::size_t>(gm.gmBlackBoxX) + 3) & ~std::size_t{3};
    if (pitch * gm.gmBlackBoxY > gray.size()) return;
    g.width = static_cast<int>(gm.gmBlackBoxX);
    g.height = static_cast<int>(gm.gmBlackBoxY);
    g.left = gm.gmptGlyphOrigin.x;
    g.top = gm.gmptGlyphOrigin.y;
    g.coverage.resize(static_cast<std::size_t>(g.width) * static_cast<std::size_t>(g.height));
    for (int y = 0; y < g.height; ++y) {
      for (int x = 0; x < g.width; ++x) {
        const int level = gray[static_cast<std::size_t>(y) * pitch + static_cast<std::size_t>(x)];
        g.coverage[static_cast<std::size_t>(y * g.width + x)] =
            static_cast<std::uint8_t>(level >= kGdiGrayLevels ? 255 : level * 255 / kGdiGrayLevels);
      }
    }
  }

  ::HDC dc_;
  ::HFONT font_;
  ::HGDIOBJ previous_;
  int ascent_ = 0;
  int descent_ = 0;
  std::mutex mutex_;
  std::map<std::uint32_t, GlyphImage> cache_;
};

std::shared_ptr<FontFace> MakeFace(const LOGFONT& desc) {
  // Height 0 asks GDI for its default size; the framework's default is 12
  // pixels of character height, as on Linux.
  const int height = desc.lfHeight == 0 ? -12 : static_cast<int>(desc.lfHeight);
  ::HFONT font = ::CreateFontA(height, 0, 0, 0, static_cast<int>(desc.lfWeight), desc.lfItalic, desc.lfUnderline,
                           desc.lfStrikeOut, desc.lfCharSet, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                           ANTIALIASED_QUALITY, desc.lfPitchAndFamily,
                           desc.lfFaceName.empty() ? nullptr : desc.lfFaceName.c_str());
  ::HDC dc = font != nullptr ? ::CreateCompatibleDC(nullptr) : nullptr;
  if (dc == nullptr) {
    if (font != nullptr) ::DeleteObject(font);
    sys::DebugOutput("gui: GDI has no font for the face '" + desc.lfFaceName + "'\n");
    return nullptr;
  }
  ::HGDIOBJ previous = ::SelectObject(dc, font);
  return std::make_shared<GdiFace>(dc, font, previous);
}

}  // namespace

std::shared_ptr<FontFace> MatchFontFace(const LOGFONT& desc) {
  using Key = std::tuple<std::string, LONG, LONG, BYTE, BYTE, BYTE>;
  static std::mutex cache_lock;
  static std::map<Key, std::weak_ptr<FontFace>> cache;
  const Key key{desc.lfFaceName, desc.lfHeight, desc.lfWeight, desc.lfItalic, desc.lfPitchAndFamily,
                desc.lfCharSet};
  std::lock_guard lock(cache_lock);
  if (auto hit = cache[key].lock()) return hit;
  std::shared_ptr<FontFace> made = MakeFace(desc);
  cache[key] = made;
  return made;
}

}  // namespace vexaro::gui::native
