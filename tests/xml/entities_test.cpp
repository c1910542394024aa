// Reference decoding: numeric references, the entity table, and references
// that stay as written.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/sys/codepage.h"
#include "xml/entities.h"
#include "xml/lookup_tables.h"

namespace vexaro::xml {
namespace {

class EntitiesTest : public ::testing::Test {
 protected:
  void TearDown() override { sys::OverrideSystemCodePage(0); }
};

TEST_F(EntitiesTest, NumericReferences) {
  sys::OverrideSystemCodePage(1252);
  EXPECT_EQ(DecodeEntities("&#65;&#x42;&#X43;"), "ABC");
  EXPECT_EQ(DecodeEntities("&#233;"), "\xE9");
  EXPECT_EQ(DecodeEntities("&#12ab;"), "\x0C");  // digits are read as far as valid
  EXPECT_EQ(DecodeEntities("&#x20AC;"), "\x80");  // the euro sign in 1252
  EXPECT_EQ(DecodeEntities("&#;&#x;&#0;"), "&#;&#x;&#0;");
}

TEST_F(EntitiesTest, ReferencesThatStayAsWritten) {
  sys::OverrideSystemCodePage(1252);
  EXPECT_EQ(DecodeEntities("&#x00000041;"), "&#x00000041;");  // 10 characters: too long
  EXPECT_EQ(DecodeEntities("&#x0000041;"), "A");               // 9 characters
  EXPECT_EQ(DecodeEntities("&amp &lt"), "&amp &lt");            // no ';'
  EXPECT_EQ(DecodeEntities("&bogus;"), "&bogus;");
  EXPECT_EQ(DecodeEntities("&AMP;"), "&AMP;");                   // exact letter case
  EXPECT_EQ(DecodeEntities("&Alpha;"), "&Alpha;");               // not in code page 1252
  EXPECT_EQ(DecodeEntities("&#xD800;&#x110000;"), "&#xD800;&#x110000;");
  EXPECT_EQ(DecodeEntities("&am\xE9;"), "&am\xE9;");             // collection stops at 0x80
  EXPECT_EQ(DecodeEntities("&&amp;"), "&&");
  EXPECT_EQ(DecodeEntities("trailing &"), "trailing &");
}

TEST_F(EntitiesTest, CapitalAndSmallGreekLettersAreDistinct) {
  sys::OverrideSystemCodePage(65001);
  EXPECT_EQ(DecodeEntities("&Alpha;&alpha;"), "\xCE\x91\xCE\xB1");
  sys::OverrideSystemCodePage(1253);
  EXPECT_EQ(DecodeEntities("&Sigma;&sigma;"), "\xD3\xF3");
}

TEST_F(EntitiesTest, SupplementaryCharactersBecomeOneUtf8Sequence) {
  sys::OverrideSystemCodePage(65001);
  EXPECT_EQ(DecodeEntities("&#x1F600;"), "\xF0\x9F\x98\x80");
  EXPECT_EQ(DecodeEntities("&#65536;"), "\xF0\x90\x80\x80");
}

TEST_F(EntitiesTest, MultibyteCharactersAreCopiedWhole) {
  // 0x82 0x26 is one character in code page 932; its second byte is no '&'.
  sys::OverrideSystemCodePage(932);
  EXPECT_EQ(DecodeEntities("\x82&amp;"), "\x82&amp;");
  EXPECT_EQ(DecodeEntities("\x82" "a&amp;"), "\x82" "a&");
}

std::string TablePath() {
  return std::string(VEXARO_SOURCE_DIR) + "/tools/xml-tables/html401-entities.tsv";
}

TEST_F(EntitiesTest, EveryEntityDecodesToItsCodePoint) {
  sys::OverrideSystemCodePage(65001);
  std::ifstream in(TablePath());
  ASSERT_TRUE(in) << TablePath();
  std::string line;
  int count = 0;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string name;
    std::uint32_t code = 0;
    fields >> name >> code;
    EXPECT_EQ(LookupEntity(name), code) << name;
    const std::string decoded = DecodeEntities("&" + name + ";");
    EXPECT_EQ(decoded, DecodeEntities("&#" + std::to_string(code) + ";")) << name;
    EXPECT_NE(decoded, "&" + name + ";") << name;
    ++count;
  }
  EXPECT_EQ(count, 253);
}

TEST_F(EntitiesTest, TableHasOneRecordPerNameInItsBucket) {
  int records = 0;
  for (int bucket = 0; bucket < tables::kEntityBucketCount; ++bucket) {
    for (const char* r = tables::kEntityBuckets[bucket]; *r != '\0';) {
      const int length = r[0] - '0';
      unsigned sum = 0;
      for (int k = 0; k < length; ++k) sum += static_cast<unsigned char>(r[5 + k]);
      EXPECT_EQ(static_cast<int>(sum % 130), bucket);
      r += 5 + length;
      ++records;
    }
  }
  EXPECT_EQ(records, 253);
  EXPECT_EQ(LookupEntity("apos"), 39u);
}

}  // namespace
}  // namespace vexaro::xml
