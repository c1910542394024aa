// Preview of the skin for people: the main window and the result dialogs
// composed as the program shows them (buttons cut by their masks, sample texts
// painted), and every file's picture, magnified where it is small.
#pragma once

#include <string>

#include "tools/skin-gen/canvas.h"
#include "tools/skin-gen/skin_set.h"

namespace vexaro::skin {

bool DrawContactSheet(const SkinPictures& pictures, const std::string& fontDir, Canvas& sheet, std::string& error);

}  // namespace vexaro::skin
