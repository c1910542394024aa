// Colours and type sizes of the skin's dark theme, shared by every picture so
// that the windows, buttons and dialogs match where they meet. Every text
// colour keeps at least 4.5:1 contrast on the surface it is drawn on.
#pragma once

#include "tools/skin-gen/canvas.h"

namespace vexaro::skin::style {

// Surfaces. The title strip of both windows and the close tab share kHeader,
// so the tab is one piece with the strip in either window.
inline Colour Header() { return Hex(0x13171C); }
inline Colour HeaderLine() { return Hex(0x2A323B); }
inline Colour BodyTop() { return Hex(0x1C2228); }
inline Colour BodyBottom() { return Hex(0x171B20); }
inline Colour WindowBorder() { return Hex(0x2E353E); }
inline Colour Card() { return Hex(0x212830); }
inline Colour CardBorder() { return Hex(0x313A44); }
inline Colour Slot() { return Hex(0x151A1F); }
inline Colour SlotBorder() { return Hex(0x3A4450); }
inline Colour Track() { return Hex(0x0E1114); }
inline Colour TrackBorder() { return Hex(0x2C343D); }
inline Colour Socket() { return Hex(0x0F1216); }

// Text: strong for headings, label for everything secondary (5:1 or more on
// the card, the body and the header).
inline Colour TextStrong() { return Hex(0xE8EDF2); }
inline Colour TextLabel() { return Hex(0xA2ADB9); }

// Accent (update) and result colours, each with a lighter and darker tone.
inline Colour Accent() { return Hex(0x2F81F7); }
inline Colour AccentLight() { return Hex(0x5BA8FF); }
inline Colour AccentDark() { return Hex(0x1B58B8); }
inline Colour AccentCyan() { return Hex(0x38C6F4); }
inline Colour Success() { return Hex(0x2EA043); }
inline Colour SuccessLight() { return Hex(0x56D364); }
inline Colour Failure() { return Hex(0xDA3633); }
inline Colour FailureLight() { return Hex(0xFF7B72); }
inline Colour Warning() { return Hex(0xC98A14); }
inline Colour WarningLight() { return Hex(0xF0B43C); }

// The update button's face: white lettering keeps 4.5:1 on every tone the
// lettering crosses, hovered or pressed.
inline Colour ButtonTop() { return Hex(0x3580EA); }
inline Colour ButtonBottom() { return Hex(0x1549A0); }
inline Colour ButtonHoverTop() { return Hex(0x3F8AF2); }
inline Colour ButtonHoverBottom() { return Hex(0x1A52B2); }
inline Colour ButtonPressedTop() { return Hex(0x123F87); }
inline Colour ButtonPressedBottom() { return Hex(0x1E5FC4); }

// Close tab: the X alone on the strip, a red disc under it while hovered.
inline Colour CloseGlyph() { return Hex(0xB4BDC7); }
inline Colour CloseHover() { return Hex(0xD93A40); }
inline Colour ClosePressed() { return Hex(0xA82A30); }
inline Colour CloseGlyphDisabled() { return Hex(0x4A525C); }

// Disabled update button: grey face, lettering still readable.
inline Colour DisabledTop() { return Hex(0x2E353E); }
inline Colour DisabledBottom() { return Hex(0x262C33); }
inline Colour DisabledGlyph() { return Hex(0xA2ADB9); }

// The keyboard drawing.
inline Colour KeyboardBody() { return Hex(0x2A323B); }
inline Colour KeyboardEdge() { return Hex(0x6E7A87); }
inline Colour KeyCap() { return Hex(0x46515D); }

// Type sizes (pixels per em).
inline constexpr int kWordmarkSize = 10;
inline constexpr int kTitleSize = 15;
inline constexpr int kLabelSize = 11;
inline constexpr int kHintSize = 11;
inline constexpr int kMessageSize = 13;

}  // namespace vexaro::skin::style
