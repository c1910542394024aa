// Where the skin's pictures sit in the main window and the result dialog, in
// client pixels, and the sizes the program cuts them at. The artwork is drawn
// to these numbers; they are fixed by the windows that use the pictures.
#pragma once

namespace vexaro::skin {

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  constexpr int Width() const { return right - left; }
  constexpr int Height() const { return bottom - top; }
};

// Main window: its size is the background's size.
inline constexpr int kWindowWidth = 480;
inline constexpr int kWindowHeight = 240;
inline constexpr int kHeaderHeight = 40;
inline constexpr Rect kCloseButton{450, 0, 470, 18};
inline constexpr Rect kUpdateButton{404, 161, 466, 224};
// Where the window paints its texts (white, bold, 15 px cell, left and top aligned).
inline constexpr Rect kUpdateVersionText{186, 64, 300, 77};
inline constexpr Rect kProductNameText{190, 80, 400, 95};
inline constexpr Rect kCurrentVersionText{239, 97, 300, 115};
// The progress bar's origin is fixed; its size is the progress pictures' size.
inline constexpr Rect kProgressBar{28, 183, 388, 199};

// Button strips: four states stacked top to bottom (normal, hover, pressed, disabled).
inline constexpr int kStateCount = 4;
inline constexpr int kCloseStateWidth = 25;
inline constexpr int kCloseStateHeight = 21;
inline constexpr int kUpdateStateSize = 63;
// The visible close tab: the main window shows 20 x 18 of the 25 x 21 state,
// the result dialog 21 x 21, so the tab fits the smaller of the two.
inline constexpr Rect kCloseTab{0, 0, 20, 18};

// Result dialog.
inline constexpr int kResultWidth = 213;
inline constexpr int kResultHeight = 142;
inline constexpr Rect kResultCloseButton{190, 0, 211, 21};

}  // namespace vexaro::skin
