// The skin's pictures, each drawn from the layout and the theme: the main
// window's background, progress bar, button strips and masks, the result
// pictures and the application icon.
#pragma once

#include <vector>

#include "tools/skin-gen/canvas.h"
#include "tools/skin-gen/text.h"

namespace vexaro::skin {

enum class ResultKind { LayoutError, Success, Failure };

Canvas DrawMainBackground(const Fonts& fonts);
// The progress pictures are cut from the background where the bar sits, so
// their rounded ends blend into it.
Canvas DrawProgressBack(const Canvas& background);
Canvas DrawProgressFill(const Canvas& background);

// Four states stacked: normal, hover, pressed, disabled.
Canvas DrawUpdateButtonStrip(const Canvas& background);
Canvas DrawCloseButtonStrip();
// Masks: pure white is outside the button, black inside.
Canvas DrawUpdateButtonMask();
Canvas DrawCloseButtonMask();

Canvas DrawResultPicture(ResultKind kind, const Fonts& fonts);

// Square icon pictures with alpha, one per size.
Canvas DrawIcon(int size);
std::vector<int> IconSizes();

}  // namespace vexaro::skin
