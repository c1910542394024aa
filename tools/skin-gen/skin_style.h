// Colours and type sizes of the skin's dark theme, shared by every picture so
// that the windows, buttons and dialogs match where they meet.
#pragma once

#include "tools/skin-gen/canvas.h"

namespace vexaro::skin::style {

// Surfaces. The close tab sits on kHeader in both windows, so both keep that
// colour flat under it.
inline Colour Header() { return Hex(0x13171C); }
inline Colour BodyTop() { return Hex(0x1D232A); }
inline Colour BodyBottom() { return Hex(0x161A1F); }
inline Colour WindowBorder() { return Hex(0x2E353E); }
inline Colour Card() { return Hex(0x222931); }
inline Colour CardBorder() { return Hex(0x313A44); }
inline Colour Track() { return Hex(0x0D1013); }
inline Colour TrackBorder() { return Hex(0x2A323B); }

// Text.
inline Colour TextStrong() { return Hex(0xE8EDF2); }
inline Colour TextLabel() { return Hex(0x8C97A4); }
inline Colour TextMuted() { return Hex(0x6B7683); }

// Accent (update) and result colours, each with a lighter and darker tone.
inline Colour Accent() { return Hex(0x2F81F7); }
inline Colour AccentLight() { return Hex(0x5BA8FF); }
inline Colour AccentDark() { return Hex(0x1B58B8); }
inline Colour AccentCyan() { return Hex(0x38C6F4); }
inline Colour Success() { return Hex(0x2EA043); }
inline Colour SuccessLight() { return Hex(0x56D364); }
inline Colour Failure() { return Hex(0xDA3633); }
inline Colour FailureLight() { return Hex(0xFF6B64); }
inline Colour Warning() { return Hex(0xC98A14); }
inline Colour WarningLight() { return Hex(0xF0B43C); }

// Close tab.
inline Colour CloseIdle() { return Hex(0x1E242B); }
inline Colour CloseHover() { return Hex(0xE5484D); }
inline Colour ClosePressed() { return Hex(0xAE2F34); }
inline Colour CloseGlyph() { return Hex(0xA3ADB8); }
inline Colour CloseGlyphDisabled() { return Hex(0x454D57); }

// Disabled update button.
inline Colour DisabledTop() { return Hex(0x2C333C); }
inline Colour DisabledBottom() { return Hex(0x232930); }
inline Colour DisabledGlyph() { return Hex(0x5C6672); }

// Type sizes (pixels per em).
inline constexpr int kTitleSize = 14;
inline constexpr int kLabelSize = 11;
inline constexpr int kHintSize = 11;
inline constexpr int kButtonLabelSize = 9;
inline constexpr int kMessageSize = 13;

}  // namespace vexaro::skin::style
