// vexaro-pack warns about texts that will not fit the window from a width
// it counts per character, without the window's font: here, with the font
// the window really takes on this system, that count is never too small.
#include <gtest/gtest.h>

#include <string>

#include "platform/gui/gdi.h"
#include "tools/vexaro-pack/text_fit.h"

namespace vexaro::app {
namespace {

using namespace gui;

// The window's text font (app/main_window_paint.cpp).
constexpr int kTextHeight = 15;
constexpr BYTE kTextPitchAndFamily = 0x20;

TEST(TextFit, EstimateIsNeverNarrowerThanTheWindowsFont) {
  HDC dc = CreateCompatibleDC(nullptr);
  HFONT font = CreateFont(kTextHeight, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0,
                          kTextPitchAndFamily, "");
  SelectObject(dc, font);
  SIZE probe{};
  GetTextExtentPoint32(dc, "W", &probe);
  if (probe.cx == 0) GTEST_SKIP() << "no font for the window's text on this system";
  std::vector<std::string> texts = {"Vexaro K7 Keyboard", "V2.07", "V10.99.1", "WWWWWWWWWW", "mmmmmmmmmm",
                                    "Gaming Keyboard (ISO-DE)", "\xC3\xA9\xC3\xA9\xC3\xA9", "\xE6\x97\xA5\xE6\x9C\xAC"};
  for (char c = ' '; c < 0x7F; ++c) texts.push_back(std::string(8, c));
  for (const std::string& text : texts) {
    SIZE size{};
    GetTextExtentPoint32(dc, text, &size);
    EXPECT_LE(size.cx, package::EstimatedTextWidth(text)) << "\"" << text << "\"";
  }
  DeleteObject(font);
  DeleteDC(dc);
}

}  // namespace
}  // namespace vexaro::app
