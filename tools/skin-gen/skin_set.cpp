#include "tools/skin-gen/skin_set.h"

#include <filesystem>

#include "tools/skin-gen/skin_art.h"
#include "tools/skin-gen/text.h"

namespace vexaro::skin {

bool DrawSkin(const std::string& fontDir, SkinPictures& pictures, std::string& error) {
  Fonts fonts;
  if (!OpenFonts(fontDir, fonts, error)) return false;
  pictures.background = DrawMainBackground(fonts);
  pictures.closeStrip = DrawCloseButtonStrip();
  pictures.closeMask = DrawCloseButtonMask();
  pictures.updateStrip = DrawUpdateButtonStrip(pictures.background);
  pictures.updateMask = DrawUpdateButtonMask();
  pictures.progressBack = DrawProgressBack(pictures.background);
  pictures.progressFill = DrawProgressFill(pictures.background);
  pictures.layoutError = DrawResultPicture(ResultKind::LayoutError, fonts);
  pictures.failure = DrawResultPicture(ResultKind::Failure, fonts);
  pictures.success = DrawResultPicture(ResultKind::Success, fonts);
  pictures.icon.clear();
  for (int size : IconSizes()) pictures.icon.push_back(DrawIcon(size));
  return true;
}

std::vector<SkinFile> EncodeSkin(const SkinPictures& p) {
  return {
      {129, "129-application.ico", EncodeIco(p.icon)},
      {131, "131-background.bmp", EncodeBmp24(p.background)},
      {132, "132-close-button.bmp", EncodeBmp24(p.closeStrip)},
      {133, "133-update-button.bmp", EncodeBmp24(p.updateStrip)},
      {135, "135-update-button-mask.bmp", EncodeBmp24(p.updateMask)},
      {137, "137-progress-back.bmp", EncodeBmp24(p.progressBack)},
      {138, "138-progress-fill.bmp", EncodeBmp24(p.progressFill)},
      {139, "139-result-layout-error.bmp", EncodeBmp24(p.layoutError)},
      {140, "140-result-failed.bmp", EncodeBmp24(p.failure)},
      {141, "141-result-success.bmp", EncodeBmp24(p.success)},
      {142, "142-close-button-mask.bmp", EncodeBmp24(p.closeMask)},
  };
}

bool WriteSkin(const std::vector<SkinFile>& files, const std::string& dir, std::string& error) {
  std::error_code ec;
  if (!std::filesystem::is_directory(dir, ec)) {
    error = "output directory " + dir + " does not exist";
    return false;
  }
  for (const SkinFile& file : files) {
    if (!SaveFile(dir + "/" + file.fileName, file.bytes, error)) return false;
  }
  return true;
}

}  // namespace vexaro::skin
