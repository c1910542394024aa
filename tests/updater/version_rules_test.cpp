// The rules on version texts: the part-by-part comparison, the layout mark,
// and the version record the worker writes.
#include <gtest/gtest.h>

#include "updater/controller.h"
#include "updater/stage_thread.h"
#include "updater/update_worker.h"

namespace vexaro::updater {
namespace {

TEST(VersionComparison, AllowsTheSameOrANewerPackageOnly) {
  EXPECT_TRUE(VersionAllowsUpdate("1.2", "1.3"));
  EXPECT_TRUE(VersionAllowsUpdate("1.3", "1.3"));
  EXPECT_FALSE(VersionAllowsUpdate("1.4", "1.3"));
  EXPECT_FALSE(VersionAllowsUpdate("1.2", "1.2.1"));  // the keyboard's text runs out first
  EXPECT_TRUE(VersionAllowsUpdate("1.9", "1.10"));    // parts are numbers, not text
  EXPECT_TRUE(VersionAllowsUpdate("V2.05", "V2.07"));  // no digits before the dot: 0 and 0
  EXPECT_FALSE(VersionAllowsUpdate("", "1.3"));
  EXPECT_FALSE(VersionAllowsUpdate("1.3", ""));
  EXPECT_TRUE(VersionAllowsUpdate(" 1.2", "1.3"));  // leading blanks are skipped
  // Runs of digits beyond 32 bits neither overflow nor wrap.
  EXPECT_FALSE(VersionAllowsUpdate("99999999999999999999.1", "1.1"));
}

TEST(VersionComparison, LayoutMarkIsTheSecondCharacter) {
  EXPECT_EQ(LayoutMark("V2.05"), "2");
  EXPECT_EQ(LayoutMark("2U.1.04"), "U");
  EXPECT_EQ(LayoutMark("V"), "");
  EXPECT_EQ(LayoutMark(""), "");
}

TEST(VersionRecordLayout, LengthWordTextAndWholeWords) {
  std::uint32_t last = 0;
  const auto record = VersionRecord("V2.07", 0x27FC, last);
  EXPECT_EQ(last, 0x27FCu + 11);  // 4 + 5 bytes rounded up to 12
  ASSERT_EQ(record.size(), 132u);
  EXPECT_EQ(std::vector<std::uint8_t>(record.begin(), record.begin() + 9),
            (std::vector<std::uint8_t>{5, 0, 0, 0, 'V', '2', '.', '0', '7'}));
  EXPECT_EQ(record[9], 0xFF);
}

TEST(VersionRecordLayout, LongTextsAreCutAt128AndFitTheirRange) {
  std::uint32_t last = 0;
  VersionRecord(std::string(124, 'a'), 0x1000, last);
  EXPECT_EQ(last - 0x1000 + 1, 128u);
  for (std::size_t n : {125u, 128u, 200u}) {
    const auto record = VersionRecord(std::string(n, 'a'), 0x1000, last);
    EXPECT_EQ(last - 0x1000 + 1, 132u) << n;
    EXPECT_EQ(record[0], n > 128 ? 128 : n);
  }
  // A base that is not a multiple of 4 makes the range longer than 132
  // bytes; the record is as long as the range, so nothing is read past it.
  const auto record = VersionRecord(std::string(128, 'a'), 0x1001, last);
  EXPECT_EQ(last - 0x1001 + 1, 135u);
  EXPECT_GE(record.size(), 135u);
}

TEST(VersionRecordLayout, TextEndsAtItsFirstZeroByte) {
  std::uint32_t last = 0;
  const auto record = VersionRecord(std::string("1.2\0xyz", 7), 0x2000, last);
  EXPECT_EQ(record[0], 3);
  EXPECT_EQ(last, 0x2000u + 7);
}

TEST(StageRange, EndsAtTheLastByteOfWholeWords) {
  EXPECT_EQ(StageEnd(0x2C00, 0x2401), 0x2C00u + 0x2404 - 1);
  EXPECT_EQ(StageEnd(0x2C00, 0x2400), 0x2C00u + 0x2400 - 1);
  EXPECT_EQ(StageEnd(0x9000, 1030), 0x9000u + 1032 - 1);
}

}  // namespace
}  // namespace vexaro::updater
