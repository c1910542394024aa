// Internal: what the text drawing needs from the system's fonts. The Linux
// backend finds faces with fontconfig and renders them with FreeType.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gui/gdi.h"

namespace vexaro::gui {

struct GlyphImage {
  int width = 0;
  int height = 0;
  int left = 0;     // from the pen position to the first column
  int top = 0;      // from the baseline up to the first row
  int advance = 0;  // pen movement in pixels
  std::vector<std::uint8_t> coverage;  // width * height, 0..255
};

class FontFace {
 public:
  virtual ~FontFace() = default;
  virtual int Ascent() const = 0;
  virtual int Descent() const = 0;
  // Safe to call from any thread; the reference stays valid as long as the face.
  virtual const GlyphImage& Glyph(std::uint32_t code) = 0;
};

// The face that best matches the description, or nothing when the system offers
// no fonts at all.
std::shared_ptr<FontFace> MatchFontFace(const LOGFONT& desc);

}  // namespace vexaro::gui
