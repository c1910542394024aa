// The skinned buttons' caption font: face name, height and weight, and where a
// button takes the face and height from when its window is created (the
// application points it at its settings, settings/ui_settings.h).
#pragma once

#include <string>

namespace vexaro::ui {

constexpr int kDefaultCaptionHeight = 14;
constexpr int kCaptionWeight = 500;

struct CaptionFont {
  std::string face;                     // empty: the system chooses a Swiss face
  int height = kDefaultCaptionHeight;   // logical units, as taken by CreateFont
  int weight = kCaptionWeight;
};

// Replaces face and height with configured values; leaves what is not
// configured. Called on the user-interface thread at each button's creation.
using CaptionFontSource = void (*)(std::string& face, int& height);

// Set once before the first button is created; null (the start) keeps the
// defaults above.
void SetCaptionFontSource(CaptionFontSource source);
// Gives the button's font the face and height of the source set.
void ApplyCaptionFontSource(CaptionFont& font);

}  // namespace vexaro::ui
