// The system code page, its override for tests, lead bytes and conversions
// with default characters.
#include <gtest/gtest.h>

#include "platform/sys/codepage.h"

namespace vexaro::sys {
namespace {

class CodePageTest : public ::testing::Test {
 protected:
  void TearDown() override { OverrideSystemCodePage(0); }

  static std::string ToBytes(unsigned cp, std::u16string_view text, bool* lost) {
    const int n = WideToMultiByte(cp, text, nullptr, 0, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    if (n > 0) {
      EXPECT_EQ(WideToMultiByte(cp, text, out.data(), n, lost), n);
    }
    return out;
  }
  static std::u16string ToWide(unsigned cp, std::string_view text) {
    const int n = MultiByteToWide(cp, text, nullptr, 0);
    std::u16string out(static_cast<std::size_t>(n), u'\0');
    if (n > 0) {
      EXPECT_EQ(MultiByteToWide(cp, text, out.data(), n), n);
    }
    return out;
  }
};

TEST_F(CodePageTest, OverrideReplacesAndRestoresSystemCodePage) {
  const unsigned native = SystemCodePage();
  EXPECT_NE(native, 0u);
  OverrideSystemCodePage(1251);
  EXPECT_EQ(SystemCodePage(), 1251u);
  EXPECT_EQ(ToBytes(kCodePageSystem, u"\u0416", nullptr), "\xC6");  // Cyrillic Zhe
  OverrideSystemCodePage(0);
  EXPECT_EQ(SystemCodePage(), native);
}

TEST_F(CodePageTest, LeadBytesOfDoubleByteCodePagesOnly) {
  EXPECT_TRUE(IsLeadByte(0x81, 932));
  EXPECT_TRUE(IsLeadByte(0xE0, 932));
  EXPECT_FALSE(IsLeadByte(0xA0, 932));
  EXPECT_TRUE(IsLeadByte(0xFE, 936));
  EXPECT_FALSE(IsLeadByte(0x80, 949));
  EXPECT_FALSE(IsLeadByte(0xC3, 65001));  // UTF-8 is stepped byte by byte
  EXPECT_FALSE(IsLeadByte(0xE9, 1252));
  OverrideSystemCodePage(950);
  EXPECT_TRUE(IsLeadByte(0xA4));
}

TEST_F(CodePageTest, UnrepresentableCharactersBecomeDefaultCharacter) {
  bool lost = false;
  EXPECT_EQ(ToBytes(1252, u"a\u00E9\u20AC", &lost), "a\xE9\x80");
  EXPECT_FALSE(lost);
  EXPECT_EQ(ToBytes(1252, u"a\u03B1b\U0001F600c", &lost), "a?b?c");
  EXPECT_TRUE(lost);
  EXPECT_EQ(ToBytes(28591, u"\u0100", &lost), "?");
  EXPECT_TRUE(lost);
}

TEST_F(CodePageTest, Utf8ConversionsReplaceInvalidInput) {
  bool lost = true;
  EXPECT_EQ(ToBytes(65001, u"\u00E9\U0001F600", &lost), "\xC3\xA9\xF0\x9F\x98\x80");
  EXPECT_FALSE(lost);  // never reported for UTF-8
  EXPECT_EQ(ToBytes(65001, std::u16string(1, char16_t{0xD800}), nullptr), "\xEF\xBF\xBD");
  EXPECT_EQ(ToWide(65001, "a\xFF" "b\xC3"), u"a\uFFFDb\uFFFD");
  EXPECT_EQ(ToWide(65001, "\xE0\x80\x80"), u"\uFFFD\uFFFD\uFFFD");  // overlong
}

TEST_F(CodePageTest, MultibyteCodePagesThroughIconv) {
  EXPECT_EQ(ToWide(932, "\x82\xA0"), u"\u3042");  // Hiragana a
  bool lost = true;
  EXPECT_EQ(ToBytes(932, u"\u3042", &lost), "\x82\xA0");
  EXPECT_FALSE(lost);
  EXPECT_EQ(ToWide(20866, "\xC1"), u"\u0430");
  EXPECT_EQ(ToWide(1201, std::string("\x00\x41", 2)), u"A");
}

TEST_F(CodePageTest, TooSmallBufferAndUnknownCodePageGiveZero) {
  char out[2];
  EXPECT_EQ(WideToMultiByte(65001, u"\u20AC", out, 2, nullptr), 0);
  EXPECT_EQ(WideToMultiByte(1252, u"abc", out, 2, nullptr), 0);
  char16_t wide[1];
  EXPECT_EQ(MultiByteToWide(1252, "ab", wide, 1), 0);
  EXPECT_EQ(MultiByteToWide(12345, "ab", nullptr, 0), 0);
  EXPECT_EQ(WideToMultiByte(57002, u"a", nullptr, 0, nullptr), 0);  // ISCII: not available
  EXPECT_FALSE(IsCodePageAvailable(57002));
  EXPECT_TRUE(IsCodePageAvailable(1252));
  EXPECT_EQ(MultiByteToWide(1252, "", nullptr, 0), 0);
}

}  // namespace
}  // namespace vexaro::sys
