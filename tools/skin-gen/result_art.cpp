// The result dialog's three pictures: a status badge and the message text.
#include <string>

#include "tools/skin-gen/glyphs.h"
#include "tools/skin-gen/skin_art.h"
#include "tools/skin-gen/skin_layout.h"
#include "tools/skin-gen/skin_style.h"

namespace vexaro::skin {

namespace {

struct ResultLook {
  const char* message;
  const char* advice;
  Colour tone;
  Colour light;
};

ResultLook LookOf(ResultKind kind) {
  switch (kind) {
    case ResultKind::Success:
      return {"Firmware Update Success!", "Your keyboard is ready.", style::Success(), style::SuccessLight()};
    case ResultKind::Failure:
      return {"Firmware Update Failed!", "Reconnect and try again.", style::Failure(), style::FailureLight()};
    case ResultKind::LayoutError:
      break;
  }
  return {"Firmware Update Layout Error!", "Keyboard layouts differ.", style::Warning(), style::WarningLight()};
}

Shape GlyphOf(ResultKind kind, double cx, double cy) {
  switch (kind) {
    case ResultKind::Success:
      return CheckGlyph(cx, cy, 1.0);
    case ResultKind::Failure:
      return CrossGlyph(cx, cy, 1.0);
    case ResultKind::LayoutError:
      break;
  }
  return ExclamationGlyph(cx, cy, 1.0);
}

// The message on two lines: "Firmware Update" and the outcome in its colour;
// the full message is too wide for one legible line in this dialog.
void DrawMessage(Canvas& canvas, const Fonts& fonts, const ResultLook& look) {
  const std::string message = look.message;
  const std::string lead = "Firmware Update ";
  const std::string outcome = message.substr(lead.size());
  const int centre = kResultWidth / 2;
  fonts.bold->DrawCentred(canvas, style::kMessageSize, centre, 88, "Firmware Update", style::TextStrong());
  fonts.bold->DrawCentred(canvas, style::kMessageSize + 2, centre, 108, outcome, look.light);
  fonts.regular->DrawCentred(canvas, style::kHintSize, centre, 127, look.advice, style::TextLabel());
}

}  // namespace

Canvas DrawResultPicture(ResultKind kind, const Fonts& fonts) {
  const ResultLook look = LookOf(kind);
  Canvas canvas(kResultWidth, kResultHeight, style::Header());
  // Flat header colour at the top, where the close tab sits, fading into the body.
  canvas.Fill(RoundRect(-1, -1, kResultWidth + 1, kResultHeight + 1, 0),
              VerticalGradient(kResultCloseButton.bottom, style::Header(), kResultHeight, style::BodyTop()));
  const double cx = kResultWidth / 2.0;
  const double cy = 43;
  const double radius = 20;
  canvas.Glow(Circle(cx, cy, radius), WithAlpha(look.tone, 0.22), 16);
  canvas.Fill(Circle(cx, cy, radius), VerticalGradient(cy - radius, look.light, cy + radius, look.tone));
  canvas.Fill(Outline(Circle(cx, cy, radius - 0.5), 0.5), Colour{0, 0, 0, 0.25});
  canvas.Fill(GlyphOf(kind, cx, cy), Hex(0xFFFFFF));
  DrawMessage(canvas, fonts, look);
  DrawBorder(canvas, style::WindowBorder());
  return canvas;
}

}  // namespace vexaro::skin
