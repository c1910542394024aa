// Preview of the skin for people: the main window and the result dialogs as
// this tool composes them (buttons cut by their masks at their places, sample
// texts in the tool's own FreeType renderer, not the window framework's), and
// every file's picture, magnified where it is small.
#pragma once

#include <string>

#include "tools/skin-gen/canvas.h"
#include "tools/skin-gen/skin_set.h"

namespace vexaro::skin {

bool DrawContactSheet(const SkinPictures& pictures, const std::string& fontDir, Canvas& sheet, std::string& error);

}  // namespace vexaro::skin
