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
// The title strip across the top: the close tab fills its height, so the tab
// sits centred in it.
inline constexpr int kHeaderHeight = 18;
inline constexpr Rect kCloseButton{450, 0, 470, 18};
inline constexpr Rect kUpdateButton{404, 161, 466, 224};
// Where the window paints its texts (white, bold, 15 px cell, left and top aligned).
inline constexpr Rect kUpdateVersionText{186, 64, 300, 77};
inline constexpr Rect kProductNameText{190, 80, 400, 95};
inline constexpr Rect kCurrentVersionText{239, 97, 300, 115};
// The progress bar's origin is fixed; its size is the progress pictures' size.
inline constexpr Rect kProgressBar{28, 183, 388, 199};

// Texts baked into the background, each inside its box (left aligned at the
// box's left, or right aligned at its right, baseline kBaselineInset above the
// bottom). The boxes are also where the contrast of each text is measured.
inline constexpr int kBaselineInset = 3;
constexpr int Baseline(const Rect& box) { return box.bottom - kBaselineInset; }
inline constexpr Rect kWordmarkText{26, 1, 80, 16};
inline constexpr Rect kProductLineText{86, 1, 240, 16};
inline constexpr Rect kTitleText{26, 26, 240, 47};
// Labels of the value column: right aligned, ending kLabelGap before the
// column; the current version hangs under the product name with its own
// small label, on a slot that shows it empty while no keyboard answers.
inline constexpr int kValueColumn = kUpdateVersionText.left;
inline constexpr int kLabelGap = 10;
inline constexpr Rect kUpdateVersionLabel{118, 64, kValueColumn - kLabelGap, 79};
inline constexpr Rect kProductNameLabel{118, 80, kValueColumn - kLabelGap, 95};
inline constexpr Rect kCurrentVersionLabel{kProductNameText.left, 97, kCurrentVersionText.left - 5, 112};
inline constexpr Rect kCurrentVersionSlot{kCurrentVersionText.left - 5, 96, kCurrentVersionText.right, 115};
// The keyboard drawing left of the labels.
inline constexpr Rect kKeyboardPicture{30, 62, 108, 118};
// Two lines of advice above the bar, true before, during and after an update.
inline constexpr Rect kHintText1{26, 137, 392, 152};
inline constexpr Rect kHintText2{26, 153, 392, 168};

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
inline constexpr Rect kResultWordmarkText{24, 1, 80, 16};
inline constexpr Rect kResultKeyboardPicture{62, 28, 146, 60};
inline constexpr Rect kResultHeadingText{12, 68, 201, 86};
inline constexpr Rect kResultOutcomeText{12, 88, 201, 107};
inline constexpr Rect kResultAdviceText{12, 112, 201, 128};

// The lettering on the update button, in the button's own pixels.
inline constexpr Rect kUpdateLetteringBox{9, 31, 54, 43};

}  // namespace vexaro::skin
