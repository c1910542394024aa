// The committed skin is exactly what the generator draws, under the names the
// resource embedding keys on, and the generator fails cleanly without fonts.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <regex>
#include <set>
#include <string>

#include "tests/skin/bmp_file.h"
#include "tools/skin-gen/skin_set.h"
#include "tools/skin-gen/text.h"

namespace vexaro::skin {
namespace {

namespace fs = std::filesystem;

class TemporaryDir {
 public:
  TemporaryDir() {
    std::random_device random;
    path_ = fs::path(::testing::TempDir()) / ("skin-test-" + std::to_string(random()));
    fs::create_directories(path_);
  }
  ~TemporaryDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  std::string Path() const { return path_.string(); }

 private:
  fs::path path_;
};

std::set<std::string> FileNames(const std::string& dir) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) names.insert(entry.path().filename().string());
  return names;
}

TEST(SkinFiles, GeneratorReproducesTheCommittedFilesByteForByte) {
  TemporaryDir out;
  std::string error;
  SkinPictures pictures;
  ASSERT_TRUE(DrawSkin(kDefaultFontDir, pictures, error)) << error;
  ASSERT_TRUE(WriteSkin(EncodeSkin(pictures), out.Path(), error)) << error;

  const std::set<std::string> generated = FileNames(out.Path());
  EXPECT_EQ(generated, FileNames(test::SkinDir())) << "res/skin holds other files than the generator writes";
  for (const std::string& name : generated) {
    const auto fresh = test::ReadBytes(out.Path() + "/" + name);
    const auto committed = test::ReadBytes(test::SkinDir() + "/" + name);
    EXPECT_FALSE(fresh.empty()) << name;
    EXPECT_TRUE(fresh == committed) << name << " differs from the committed file; regenerate res/skin (docs/skin.md)";
  }
}

TEST(SkinFiles, EveryResourceIdHasOneFileNamedByItsNumber) {
  SkinPictures pictures;
  std::string error;
  ASSERT_TRUE(DrawSkin(kDefaultFontDir, pictures, error)) << error;
  std::set<int> ids;
  const std::regex form(R"((\d+)-[a-z0-9-]+\.(bmp|ico))");
  for (const SkinFile& file : EncodeSkin(pictures)) {
    std::smatch match;
    ASSERT_TRUE(std::regex_match(file.fileName, match, form)) << file.fileName;
    EXPECT_EQ(std::stoi(match[1].str()), file.id) << file.fileName;
    EXPECT_EQ(match[2].str() == "ico", file.id == 129) << file.fileName;
    EXPECT_TRUE(ids.insert(file.id).second) << "two files for id " << file.id;
  }
  EXPECT_EQ(ids, (std::set<int>{129, 131, 132, 133, 135, 137, 138, 139, 140, 141, 142}));
}

TEST(SkinFiles, MissingFontIsNamedAndNothingIsWritten) {
  TemporaryDir out;
  SkinPictures pictures;
  std::string error;
  EXPECT_FALSE(DrawSkin(out.Path() + "/no-fonts-here", pictures, error));
  EXPECT_NE(error.find("DejaVuSans"), std::string::npos) << error;
  EXPECT_TRUE(FileNames(out.Path()).empty());
}

TEST(SkinFiles, MissingOutputDirectoryIsReportedNotCreated) {
  TemporaryDir out;
  const std::string missing = out.Path() + "/absent";
  std::string error;
  EXPECT_FALSE(WriteSkin({{131, "131-background.bmp", {1, 2, 3}}}, missing, error));
  EXPECT_NE(error.find(missing), std::string::npos) << error;
  EXPECT_FALSE(fs::exists(missing));
}

}  // namespace
}  // namespace vexaro::skin
