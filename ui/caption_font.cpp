// Where skinned buttons take their caption font from.
#include "ui/caption_font.h"

#include <atomic>

namespace vexaro::ui {
namespace {

// Set by the application's start-up; atomic because tests and tools may set
// it from another thread than the one creating windows.
std::atomic<CaptionFontSource> g_source{nullptr};

}  // namespace

void SetCaptionFontSource(CaptionFontSource source) { g_source.store(source); }

void ApplyCaptionFontSource(CaptionFont& font) {
  if (CaptionFontSource source = g_source.load()) source(font.face, font.height);
}

}  // namespace vexaro::ui
