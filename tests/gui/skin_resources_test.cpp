// The program's own skin files (res/skin) are embedded and every one of them
// decodes; icons come at the standard size.
#include <gtest/gtest.h>

#include "tests/gui/gui_test_util.h"

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

}  // namespace
}  // namespace vexaro::gui
