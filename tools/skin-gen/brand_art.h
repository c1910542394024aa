// The product's brand pictures: the logo mark (a blue keycap carrying a V on
// a dark plate), used in the title strips and as the icon at every size, and
// the drawing of the keyboard itself, used in the main window and the result
// dialogs.
#pragma once

#include "tools/skin-gen/canvas.h"
#include "tools/skin-gen/skin_layout.h"
#include "tools/skin-gen/text.h"

namespace vexaro::skin {

// The mark in the square of side `size` whose top-left corner is (x, y).
void DrawLogoMark(Canvas& canvas, double x, double y, double size);
// The title strip over the top of a picture `width` wide: the header colour
// with its line beneath, the mark at `markLeft` and the maker's name in
// `wordmark`.
void DrawTitleBand(Canvas& canvas, const Fonts& fonts, int width, double markLeft, const Rect& wordmark);
// A keyboard seen from above, filling `box`: case, key rows, space bar, and
// one key lit in the accent colour.
void DrawKeyboard(Canvas& canvas, const Rect& box);

}  // namespace vexaro::skin
