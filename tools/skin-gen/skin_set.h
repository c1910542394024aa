// The complete skin as files: which resource id holds which picture, drawing
// them all, and writing them as res/skin/<id>-<name>.bmp and 129-<name>.ico.
#pragma once

#include <string>
#include <vector>

#include "tools/skin-gen/canvas.h"
#include "tools/skin-gen/image_files.h"

namespace vexaro::skin {

struct SkinFile {
  int id = 0;
  std::string fileName;  // "<id>-<name>.bmp" or ".ico"
  Bytes bytes;
};

struct SkinPictures {
  Canvas background, closeStrip, closeMask, updateStrip, updateMask, progressBack, progressFill;
  Canvas layoutError, failure, success;
  std::vector<Canvas> icon;
};

// Draws every picture with the fonts from `fontDir`; false with a reason.
bool DrawSkin(const std::string& fontDir, SkinPictures& pictures, std::string& error);
// The files for the pictures, in resource id order.
std::vector<SkinFile> EncodeSkin(const SkinPictures& pictures);
// Writes the files into an existing directory.
bool WriteSkin(const std::vector<SkinFile>& files, const std::string& dir, std::string& error);

}  // namespace vexaro::skin
