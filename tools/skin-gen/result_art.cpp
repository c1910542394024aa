// The result dialog's three pictures: the title strip with the mark, the
// keyboard with a status badge on its corner, and the message text.
#include <string>

#include "tools/skin-gen/brand_art.h"
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
  return {"Firmware Update Layout Error!", "It is for another keyboard layout.", style::Warning(),
          style::WarningLight()};
}

Shape GlyphOf(ResultKind kind, double cx, double cy) {
  constexpr double kUnit = 0.62;
  switch (kind) {
    case ResultKind::Success:
      return CheckGlyph(cx, cy, kUnit);
    case ResultKind::Failure:
      return CrossGlyph(cx, cy, kUnit);
    case ResultKind::LayoutError:
      break;
  }
  return ExclamationGlyph(cx, cy, kUnit);
}

// The message on two lines: "Firmware Update" and the outcome in its colour;
// the full message is too wide for one legible line in this dialog.
void DrawMessage(Canvas& canvas, const Fonts& fonts, const ResultLook& look) {
  const std::string message = look.message;
  const std::string lead = "Firmware Update ";
  const std::string outcome = message.substr(lead.size());
  const int centre = kResultWidth / 2;
  fonts.bold->DrawCentred(canvas, style::kMessageSize, centre, Baseline(kResultHeadingText), "Firmware Update",
                          style::TextStrong());
  fonts.bold->DrawCentred(canvas, style::kMessageSize + 2, centre, Baseline(kResultOutcomeText), outcome, look.light);
  fonts.regular->DrawCentred(canvas, style::kHintSize, centre, Baseline(kResultAdviceText), look.advice,
                             style::TextLabel());
}

// The title strip as in the main window: the close tab lies on its colour at
// the right and the strip runs on to the dialog's edge beside it.
void DrawResultTitleStrip(Canvas& canvas, const Fonts& fonts) {
  DrawTitleBand(canvas, fonts, kResultWidth, 6, kResultWordmarkText);
}

// The keyboard with the result's badge over its top-right corner.
void DrawKeyboardWithBadge(Canvas& canvas, ResultKind kind, const ResultLook& look) {
  const Rect& k = kResultKeyboardPicture;
  DrawKeyboard(canvas, k);
  const double cx = k.right - 2;
  const double cy = k.top + 3;
  const double radius = 10.5;
  canvas.Fill(Circle(cx, cy, radius + 2), style::BodyTop());  // a gap between badge and keyboard
  canvas.Fill(Circle(cx, cy, radius), VerticalGradient(cy - radius, look.light, cy + radius, look.tone));
  canvas.Fill(GlyphOf(kind, cx, cy), Hex(0xFFFFFF));
}

}  // namespace

Canvas DrawResultPicture(ResultKind kind, const Fonts& fonts) {
  const ResultLook look = LookOf(kind);
  Canvas canvas(kResultWidth, kResultHeight, style::BodyTop());
  canvas.Fill(RoundRect(-1, -1, kResultWidth + 1, kResultHeight + 1, 0),
              VerticalGradient(kHeaderHeight, style::BodyTop(), kResultHeight, style::BodyBottom()));
  DrawResultTitleStrip(canvas, fonts);
  DrawKeyboardWithBadge(canvas, kind, look);
  DrawMessage(canvas, fonts, look);
  DrawBorder(canvas, style::WindowBorder());
  return canvas;
}

}  // namespace vexaro::skin
