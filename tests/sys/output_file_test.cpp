// Output files: the target changes only on Commit, no temporary file
// outlives its OutputFile, and SameFile sees through links.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <tuple>

#include "platform/sys/output_file.h"

namespace vexaro::sys {
namespace {

namespace fs = std::filesystem;

struct Folder {
  Folder() : path(fs::temp_directory_path() / ("vexaro-out-" + std::to_string(std::random_device()()))) {
    fs::create_directories(path);
  }
  ~Folder() { fs::remove_all(path); }
  std::string File(const char* name) const { return (path / name).string(); }
  std::size_t Count() const { return static_cast<std::size_t>(std::distance(fs::directory_iterator(path), {})); }
  fs::path path;
};

// Read a piece at a time: GCC 12 at -O3 warns falsely about the stream
// buffer behind istreambuf_iterator.
std::string Text(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string text;
  char piece[256];
  while (in.read(piece, sizeof piece) || in.gcount() > 0) text.append(piece, static_cast<std::size_t>(in.gcount()));
  return text;
}

TEST(OutputFile, TargetChangesOnlyOnCommitAndNoTemporaryIsLeft) {
  enum class End { Commit, Discard, Destroy };
  for (const End end : {End::Commit, End::Discard, End::Destroy}) {
    Folder folder;
    const std::string target = folder.File("out.bin");
    std::ofstream(target) << "old";
    {
      OutputFile out, second;
      ASSERT_TRUE(out.Create(target, false)) << out.Failure();
      ASSERT_TRUE(second.Create(target, false)) << second.Failure();  // a name of its own
      EXPECT_NE(out.TemporaryPath(), second.TemporaryPath());
      const std::uint8_t bytes[] = {'n', 'e', 'w'};
      ASSERT_TRUE(out.Write(bytes));
      if (end == End::Commit) {
        EXPECT_TRUE(out.Commit()) << out.Failure();
      } else if (end == End::Discard) {
        out.Discard();
      }
    }
    EXPECT_EQ(Text(target), end == End::Commit ? "new" : "old");
    EXPECT_EQ(folder.Count(), 1u);
  }
  OutputFile nowhere;
  EXPECT_FALSE(nowhere.Create((fs::temp_directory_path() / "vexaro-no-such-folder" / "out.bin").string(), false));
  EXPECT_FALSE(nowhere.Failure().empty());
}

TEST(OutputFile, SameFileSeesThroughLinks) {
  Folder folder;
  std::ofstream(folder.File("a")) << "a";
  std::ofstream(folder.File("b")) << "b";
  std::error_code noLinks;
  fs::create_hard_link(folder.File("a"), folder.File("hard"), noLinks);
  fs::create_symlink(folder.File("a"), folder.File("soft"), noLinks);
  const std::tuple<const char*, const char*, bool> cases[] = {
      {"a", "a", true}, {"a", "hard", true}, {"soft", "a", true}, {"a", "b", false}, {"a", "missing", false}};
  for (const auto& [first, second, same] : cases) {
    if (noLinks && (std::string(first) == "soft" || std::string(second) == "hard")) continue;
    EXPECT_EQ(SameFile(folder.File(first), folder.File(second)), same) << first << " " << second;
  }
}

}  // namespace
}  // namespace vexaro::sys
