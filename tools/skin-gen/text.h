// Text for the skin artwork, rendered with FreeType from a font file given by
// path, so the same font file gives the same pixels on every run.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "tools/skin-gen/canvas.h"

namespace vexaro::skin {

class Font {
 public:
  // Opens a font file; on failure returns null and says why in `error`.
  static std::unique_ptr<Font> Open(const std::string& path, std::string& error);
  ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  // Advance width of the text at `pixels` em size, with `tracking` extra pixels
  // between letters.
  int Width(int pixels, std::string_view text, int tracking = 0) const;
  // Draws the text with its baseline at `baseline`, starting at `x`.
  void Draw(Canvas& canvas, int pixels, int x, int baseline, std::string_view text, Colour colour,
            int tracking = 0) const;
  void DrawCentred(Canvas& canvas, int pixels, int centreX, int baseline, std::string_view text, Colour colour,
                   int tracking = 0) const;
  void DrawRightAligned(Canvas& canvas, int pixels, int right, int baseline, std::string_view text,
                        Colour colour) const;

 private:
  struct Impl;
  explicit Font(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

// Where the artwork's fonts are found, and the two faces it uses.
inline constexpr const char* kDefaultFontDir = "/usr/share/fonts/truetype/dejavu";
inline constexpr const char* kRegularFontFile = "DejaVuSans.ttf";
inline constexpr const char* kBoldFontFile = "DejaVuSans-Bold.ttf";

struct Fonts {
  std::unique_ptr<Font> regular;
  std::unique_ptr<Font> bold;
};

// Opens both faces from `dir`; false with the missing file named in `error`.
bool OpenFonts(const std::string& dir, Fonts& fonts, std::string& error);

}  // namespace vexaro::skin
