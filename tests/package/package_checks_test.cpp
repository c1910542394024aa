// The checks a package passes before any keyboard is touched: its digest
// record against every flipped bit, and each way a package can be unsafe to
// install, each refused with a sentence that names what is wrong.
#include <gtest/gtest.h>

#include "tests/package/package_fixture.h"

namespace vexaro::package {
namespace {

using test::TempDir;
using test::WriteBytes;

class PackageChecks : public ::testing::Test {
 protected:
  void TearDown() override { SetPackageFile(""); }

  static PackageContents Contents() {
    PackageContents c = test::SampleContents();
    c.updateVersion = "V1.05";
    c.internalImage.assign(300, 0x42);
    c.externalImage.assign(41, 0x17);
    c.externalStart = 0x9000;
    return c;
  }
  // The problem CheckPackageBeforeUpdate finds in a file holding bytes.
  std::string ProblemOf(const std::vector<std::uint8_t>& bytes) {
    WriteBytes(path_, bytes);
    SetPackageFile(path_);
    return CheckPackageBeforeUpdate();
  }
  // Writes plain bytes into the scrambled block that starts fromEnd bytes before the end.
  static void Put(std::vector<std::uint8_t>& bytes, std::size_t fromEnd, std::size_t offset,
                  std::vector<std::uint8_t> plain, const PackageKeyBytes& key) {
    for (std::size_t i = 0; i < plain.size(); ++i) {
      const std::size_t at = offset + i;
      bytes[bytes.size() - fromEnd + at] = static_cast<std::uint8_t>(plain[i] ^ key[at % 4] ^ (at % 256));
    }
  }

  TempDir dir_;
  std::string path_ = dir_.File("package.bin");
};

TEST_F(PackageChecks, EveryFlippedBitOutsideTheMarkerIsRefusedAsDamaged) {
  const PackageContents contents = Contents();
  const std::vector<std::uint8_t> good = BuildPackage(contents);
  ASSERT_EQ(ProblemOf(good), "");
  ASSERT_EQ(LoadPackageFile().digest, PackageDigest::Verified);
  const std::size_t markerAt = good.size() - kPackageTrailerSize + digest_record::kMarkerOffset;
  for (std::size_t i = 0; i < good.size(); ++i) {
    std::vector<std::uint8_t> bad = good;
    bad[i] ^= static_cast<std::uint8_t>(1u << (i % 8));
    const std::string problem = ProblemOf(bad);
    if (i >= markerAt && i < markerAt + digest_record::kMarker.size()) {
      // Without its marker the package reads as one without a digest, and
      // everything the keyboard would get is intact.
      EXPECT_EQ(problem, "") << i;
      EXPECT_EQ(LoadPackageFile().digest, PackageDigest::Absent);
    } else {
      EXPECT_NE(problem, "") << "flipped byte " << i << " of " << good.size();
    }
  }
}

TEST_F(PackageChecks, UnsafePackagesAreRefusedWithTheirReason) {
  const PackageContents base = Contents();
  const PackageKeyBytes& key = base.key;
  auto build = [&](auto change, bool seal = false) {
    PackageContents c = base;
    change(c);
    c.digestRecord = seal;
    return BuildPackage(c);
  };
  auto same = [](PackageContents&) {};
  std::vector<std::uint8_t> cut = build(same);
  cut.erase(cut.begin(), cut.begin() + 10);
  std::vector<std::uint8_t> sealedCut = build(same, true);
  sealedCut.erase(sealedCut.begin(), sealedCut.begin() + 10);
  std::vector<std::uint8_t> huge = build(same), longKey = build(same), empty = build(same);
  Put(huge, 656, 4, {0x01, 0x00, 0x00, 0x04}, key);  // 64 MiB + 1
  Put(longKey, 656, 82, {65, 0}, key);
  Put(empty, 656, 4, {0, 0, 0, 0}, key);
  const std::pair<std::vector<std::uint8_t>, const char*> cases[] = {
      {build(same), ""},
      {build(same, true), ""},
      {cut, "cut short: its images (300 and 41 bytes) reach before the start of the file"},
      {sealedCut, "damaged: the package is cut short"},
      {huge, "ImageLength 67108865 is above the 64 MiB limit"},
      {empty, "ImageLength is 0"},
      {longKey, "CrcKeyLength 65 is above the 64 bytes"},
      {build([](PackageContents& c) { c.externalStart = 0xFFFFFFF0; }), "runs past the end of the address space"},
      {build([](PackageContents& c) { c.updateVersion = "X2.07"; }), "\"X2.07\" holds the character 0x58"},
      {build([](PackageContents& c) { c.updateVersion = "V2.07\x1b[2J"; }), "holds the character 0x1B"},
      {build([](PackageContents& c) { c.updateVersion = ""; }), "is empty"},
      {build([](PackageContents& c) { c.updateVersion = "7"; }), "has no layout mark"},
      {build([](PackageContents& c) { c.updateVersion = "V" + std::string(60, '1'); }), "longer than the 60"},
  };
  for (const auto& [bytes, expected] : cases) {
    const std::string problem = ProblemOf(bytes);
    if (*expected == '\0') {
      EXPECT_EQ(problem, "");
    } else {
      EXPECT_NE(problem.find(expected), std::string::npos) << problem << "\nexpected: " << expected;
      EXPECT_EQ(problem.rfind(path_ + ": ", 0), 0u) << problem;
    }
  }
}

// A demo package goes to the simulated keyboard only; the mark lies under
// the digest, so a package cannot lose it without being refused as damaged.
TEST_F(PackageChecks, DemoPackageIsRefusedForEveryKeyboardButTheSimulatedOne) {
  struct Case {
    const char* name;
    bool demo, digest, flipMark, simulated;
    bool damaged, refused;
  };
  for (const Case& c : std::initializer_list<Case>{
           {"plain, real keyboard", false, true, false, false, false, false},
           {"plain, simulated", false, true, false, true, false, false},
           {"demo, simulated", true, true, false, true, false, false},
           {"demo, real keyboard", true, true, false, false, false, true},
           {"demo without digest, real keyboard", true, false, false, false, false, true},
           {"demo with its mark flipped", true, true, true, false, true, false},
       }) {
    PackageContents contents = Contents();
    contents.demoMark = c.demo;
    contents.digestRecord = c.digest;
    std::vector<std::uint8_t> bytes = BuildPackage(contents);
    if (c.flipMark) bytes[bytes.size() - kPackageTrailerSize + demo_mark::kOffset] ^= 0x01;
    EXPECT_EQ(ProblemOf(bytes).find("damaged") != std::string::npos, c.damaged) << c.name;
    EXPECT_EQ(LoadPackageFile().demo, c.demo && !c.flipMark) << c.name;
    EXPECT_EQ(CheckPackageForKeyboard(c.simulated), c.refused ? path_ + ": " + kDemoPackageRefusal : "") << c.name;
  }
}

}  // namespace
}  // namespace vexaro::package
