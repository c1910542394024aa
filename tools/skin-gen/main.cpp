// skin-gen: draws the skin bitmaps and the icon into a directory.
//   skin-gen <output dir> [--preview <file.png>] [--fonts <dir>]
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/skin-gen/contact_sheet.h"
#include "tools/skin-gen/skin_set.h"
#include "tools/skin-gen/text.h"

namespace {

int Fail(const std::string& message) {
  std::fprintf(stderr, "skin-gen: %s\n", message.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace vexaro::skin;
  std::string outDir;
  std::string preview;
  std::string fontDir = kDefaultFontDir;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if ((arg == "--preview" || arg == "--fonts") && i + 1 < argc) {
      (arg == "--preview" ? preview : fontDir) = argv[++i];
    } else if (!arg.empty() && arg[0] != '-' && outDir.empty()) {
      outDir = arg;
    } else {
      return Fail("unexpected argument '" + arg + "'; usage: skin-gen <output dir> [--preview <file.png>] [--fonts <dir>]");
    }
  }
  if (outDir.empty()) return Fail("usage: skin-gen <output dir> [--preview <file.png>] [--fonts <dir>]");

  std::string error;
  SkinPictures pictures;
  if (!DrawSkin(fontDir, pictures, error)) return Fail(error);
  if (!WriteSkin(EncodeSkin(pictures), outDir, error)) return Fail(error);
  if (!preview.empty()) {
    Canvas sheet;
    Bytes png;
    if (!DrawContactSheet(pictures, fontDir, sheet, error) || !EncodePng(sheet, png, error) ||
        !SaveFile(preview, png, error)) {
      return Fail(error);
    }
  }
  return 0;
}
