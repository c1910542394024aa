// The system code page, its override for tests, lead bytes and conversions
// with default characters.
#include <gtest/gtest.h>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <cerrno>
#endif

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
  EXPECT_EQ(ToBytes(1252, u"a\u0416b\u4E2Dc", &lost), "a?b?c");  // Cyrillic, CJK
  EXPECT_TRUE(lost);
  EXPECT_EQ(ToBytes(28591, u"\u0416", &lost), "?");
  EXPECT_TRUE(lost);
#ifdef _WIN32
  // Windows converts UTF-16 unit by unit: both halves of a surrogate pair
  // become the default character.
  EXPECT_EQ(ToBytes(1252, u"a\U0001F600c", &lost), "a??c");
#else
  // iconv converts whole characters: one default character per pair.
  EXPECT_EQ(ToBytes(1252, u"a\U0001F600c", &lost), "a?c");
#endif
  EXPECT_TRUE(lost);
}

TEST_F(CodePageTest, SimilarCharactersOnlyOnWindows) {
  bool lost = true;
#ifdef _WIN32
  // Windows' "best fit" maps some characters to a similar one the code page
  // has, without reporting a default character.
  EXPECT_EQ(ToBytes(1252, u"\u03B1", &lost), "a");  // Greek alpha
  EXPECT_FALSE(lost);
  EXPECT_EQ(ToBytes(28591, u"\u0100", &lost), "A");  // A with macron
  EXPECT_FALSE(lost);
#else
  // iconv has no best fit: the same characters are lost.
  EXPECT_EQ(ToBytes(1252, u"\u03B1", &lost), "?");
  EXPECT_TRUE(lost);
  EXPECT_EQ(ToBytes(28591, u"\u0100", &lost), "?");
  EXPECT_TRUE(lost);
#endif
}

TEST_F(CodePageTest, Utf8ConversionsReplaceInvalidInput) {
  bool lost = true;
  EXPECT_EQ(ToBytes(65001, u"\u00E9\U0001F600", &lost), "\xC3\xA9\xF0\x9F\x98\x80");
  EXPECT_FALSE(lost);  // never reported for UTF-8
  EXPECT_EQ(ToBytes(65001, std::u16string(1, char16_t{0xD800}), nullptr), "\xEF\xBF\xBD");
  EXPECT_EQ(ToWide(65001, "a\xFF" "b\xC3"), u"a\uFFFDb\uFFFD");
#ifdef _WIN32
  // Windows sees the overlong form at its second byte and replaces the lead
  // byte and that byte together.
  EXPECT_EQ(ToWide(65001, "\xE0\x80\x80"), u"\uFFFD\uFFFD");  // overlong
#else
  // Our decoder replaces the longest valid beginning: E0 alone, as E0 80
  // cannot begin any character.
  EXPECT_EQ(ToWide(65001, "\xE0\x80\x80"), u"\uFFFD\uFFFD\uFFFD");  // overlong
#endif
}

TEST_F(CodePageTest, MultibyteCodePages) {
  EXPECT_EQ(ToWide(932, "\x82\xA0"), u"\u3042");  // Hiragana a
  bool lost = true;
  EXPECT_EQ(ToBytes(932, u"\u3042", &lost), "\x82\xA0");
  EXPECT_FALSE(lost);
  EXPECT_EQ(ToWide(20866, "\xC1"), u"\u0430");
#ifdef _WIN32
  // UTF-16 is no code page of Windows' byte conversions (only .NET has 1200
  // and 1201): they fail as for any unavailable code page.
  EXPECT_EQ(ToWide(1201, std::string("\x00\x41", 2)), u"");
  EXPECT_FALSE(IsCodePageAvailable(1201));
#else
  EXPECT_EQ(ToWide(1201, std::string("\x00\x41", 2)), u"A");
  EXPECT_TRUE(IsCodePageAvailable(1201));
#endif
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

TEST(LastErrorTextTest, OneLineOfTheSystemMessage) {
#ifdef _WIN32
  // Windows' texts depend on its version and language (wine has texts of its
  // own), so only their form is fixed here.
  SetLastError(ERROR_FILE_NOT_FOUND);
  const std::string text = LastErrorText();
  EXPECT_FALSE(text.empty());
  EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos);
  SetLastError(0x20000001);  // an application's own code: the system has no text
  EXPECT_EQ(LastErrorText(), "");
#else
  errno = ENOENT;
  EXPECT_EQ(LastErrorText(), "No such file or directory");
  errno = 0;
  EXPECT_EQ(LastErrorText(), "");
#endif
}

}  // namespace
}  // namespace vexaro::sys
