// The program's own skin files (res/skin) are embedded and every one of them
// decodes; icons come at the standard size, and keep their transparency when
// written as PNG files (the images the Linux package installs).
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "platform/gui/backend.h"
#include "tests/gui/gui_test_util.h"
#include "tests/support/temp_path.h"

namespace vexaro::gui {
namespace {

TEST(SkinResources, EveryEmbeddedFileDecodes) {
  const auto all = ListResources();
  if (all.empty()) GTEST_SKIP() << "res/skin holds no files yet";
  for (const EmbeddedResource* r : all) {
    std::string error;
    const std::string kind = r->kind;
    HGDIOBJ obj = kind == "ico" ? static_cast<HGDIOBJ>(DecodeIco(r->data, r->size, &error))
                                : static_cast<HGDIOBJ>(DecodeBmp(r->data, r->size, &error));
    EXPECT_NE(obj, nullptr) << r->name << ": " << error;
    DeleteObject(obj);
  }
}

TEST(SkinResources, IconIsLoadedAtTheStandardSize) {
  if (!FindResource(129, "ico")) GTEST_SKIP() << "no icon 129 yet";
  HICON icon = LoadIcon(129);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(icon->width, GetSystemMetrics(SM_CXICON));
  DeleteObject(icon);
}

// Written and read back: the icon's corner stays transparent and its middle
// opaque; a plain bitmap, whose alpha byte drawing leaves zero, is opaque.
TEST(SkinResources, PngFilesKeepAnIconsAlphaAndMakeOtherBitmapsOpaque) {
  if (!FindResource(129, "ico")) GTEST_SKIP() << "no icon 129 yet";
  std::unique_ptr<Bitmap> icon(LoadIcon(129));
  ASSERT_NE(icon, nullptr);
  Bitmap plain(4, 4);
  plain.pixels.assign(plain.pixels.size(), 0x00336699u);
  const int mid = icon->width / 2;
  struct Case {
    const char* name;
    const Bitmap& bmp;
    int x, y;
    std::uint32_t alpha;
  } cases[] = {{"icon corner", *icon, 0, 0, 0x00}, {"icon middle", *icon, mid, mid, 0xFF},
               {"plain bitmap", plain, 1, 1, 0xFF}};
  for (const Case& c : cases) {
    const std::string path = test_support::ProcessTempPath("vexaro-png-alpha", ".png");
    std::string error;
    ASSERT_TRUE(WritePngFile(c.bmp, path, &error)) << c.name << ": " << error;
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    std::remove(path.c_str());
    Bitmap* read = nullptr;
    ASSERT_TRUE(DecodePng(bytes.data(), bytes.size(), read, &error)) << c.name << ": " << error;
    std::unique_ptr<Bitmap> back(read);
    EXPECT_EQ(back->At(c.x, c.y) >> 24, c.alpha) << c.name;
  }
}

}  // namespace
}  // namespace vexaro::gui
