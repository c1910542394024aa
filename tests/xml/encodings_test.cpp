// Reading document files: encoding detection, conversion, the reading log,
// and the conversions and names behind them.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <vector>

#include "platform/sys/codepage.h"
#include "tests/xml/system_message.h"
#include "xml/encodings.h"
#include "xml/parse_node.h"
#include "xml/text_file.h"
#include "xml/xml_document.h"

namespace vexaro::xml {
namespace {

class EncodingsTest : public ::testing::Test {
 protected:
  void SetUp() override { sys::OverrideSystemCodePage(1252); }
  void TearDown() override {
    sys::OverrideSystemCodePage(0);
    std::remove(path_.c_str());
  }

  // Writes `bytes` to the test's file and returns its path.
  const std::string& File(std::string_view bytes) {
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path_;
  }
  // Reads the file as Load does; returns the log.
  std::string Read(std::string_view bytes, std::string& text, std::uint32_t* flags = nullptr) {
    std::string log;
    EXPECT_TRUE(ReadTextFile(File(bytes), text, &log, flags));
    return log;
  }

  static std::string Utf16(std::u16string_view units, bool bigEndian) {
    std::string bytes;
    for (char16_t u : units) {
      const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
      bytes += bigEndian ? hi : lo;
      bytes += bigEndian ? lo : hi;
    }
    return bytes;
  }

  std::string path_ = ::testing::TempDir() + "vexaro_xml_encodings_" +
                      ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".xml";
};

TEST_F(EncodingsTest, EmptyFileIsAnsiWithZeroLengthAndEmptyDocument) {
  std::string text;
  EXPECT_EQ(Read("", text), "ANSI 0 length ");
  XmlDocument doc;
  EXPECT_FALSE(doc.Load(File("")));
  EXPECT_EQ(doc.ResultText(), "ANSI 0 length  Empty document");
}

TEST_F(EncodingsTest, Utf8WithByteOrderMark) {
  std::string text;
  std::uint32_t flags = 0;
  EXPECT_EQ(Read("\xEF\xBB\xBF<r>caf\xC3\xA9</r>", text, &flags), "UTF-8 BOM + length 12 to length 11 ");
  EXPECT_EQ(text, "<r>caf\xE9</r>");
  EXPECT_EQ(flags, kFileReading | kFileUtf8Bom);
}

TEST_F(EncodingsTest, Utf16WithByteOrderMarkBothWays) {
  const std::u16string content = u"<r>\u00E9\u20AC</r>";
  std::string text;
  std::uint32_t flags = 0;
  EXPECT_EQ(Read("\xFF\xFE" + Utf16(content, false), text, &flags), "UTF-16LE BOM + length 9 to 9 bytes ");
  EXPECT_EQ(text, "<r>\xE9\x80</r>");
  EXPECT_EQ(flags, kFileReading | kFileUtf16Le);
  EXPECT_EQ(Read("\xFE\xFF" + Utf16(content, true), text, &flags),
            "UTF-16BE BOM + length 9 endian swap to 9 bytes ");
  EXPECT_EQ(text, "<r>\xE9\x80</r>");
  EXPECT_EQ(flags, kFileReading | kFileUtf16Be);
}

TEST_F(EncodingsTest, Utf16WithoutMarkLosesItsZeroBytesAsUtf8) {
  // Nothing marks the file as UTF-16: it starts with '<', so it is read as
  // UTF-8 bytes and the zero bytes are removed.
  std::string text;
  EXPECT_EQ(Read(Utf16(u"<r>a</r>", false), text), "UTF-8 length 16 (8 nulls removed) to length 8 ");
  EXPECT_EQ(text, "<r>a</r>");
  EXPECT_EQ(Read(Utf16(u"<r>a</r>", true), text), "ANSI length 16 (8 nulls removed) (used UTF-8 detection) ");
  EXPECT_EQ(text, "<r>a</r>");
}

TEST_F(EncodingsTest, LostCharactersAreReported) {
  std::string text;
  EXPECT_EQ(Read("\xFF\xFE" + Utf16(u"<r>\u0416</r>", false), text),  // Cyrillic Zhe
            "UTF-16LE BOM + length 8 to 8 bytes (chars lost in conversion!) ");
  EXPECT_EQ(text, "<r>?</r>");
  // Greek alpha: Windows substitutes a similar character ("best fit"), which
  // is no loss; iconv has no such substitution.
#ifdef _WIN32
  EXPECT_EQ(Read("\xFF\xFE" + Utf16(u"<r>\u03B1</r>", false), text), "UTF-16LE BOM + length 8 to 8 bytes ");
  EXPECT_EQ(text, "<r>a</r>");
#else
  EXPECT_EQ(Read("\xFF\xFE" + Utf16(u"<r>\u03B1</r>", false), text),
            "UTF-16LE BOM + length 8 to 8 bytes (chars lost in conversion!) ");
  EXPECT_EQ(text, "<r>?</r>");
#endif
}

TEST_F(EncodingsTest, UnmarkedFileStartingWithMarkupIsUtf8) {
  std::string text;
  EXPECT_EQ(Read("<r>plain</r>", text), "UTF-8 length 12 to length 12 ");
  EXPECT_EQ(text, "<r>plain</r>");
}

TEST_F(EncodingsTest, UnmarkedFileStartingWithBlankUsesUtf8Detection) {
  std::string text;
  EXPECT_EQ(Read(" <r>caf\xC3\xA9</r>", text), "UTF-8 length 13 to length 12 (used UTF-8 detection) ");
  EXPECT_EQ(text, " <r>caf\xE9</r>");
  EXPECT_EQ(Read(" <r>caf\xE9</r>", text), "ANSI length 12 (used UTF-8 detection) ");
  EXPECT_EQ(text, " <r>caf\xE9</r>");
  EXPECT_EQ(Read(" <r>plain</r>", text), "ANSI length 13 (used UTF-8 detection) ");
}

TEST_F(EncodingsTest, ZeroBytesAreRemovedAndCounted) {
  std::string text;
  EXPECT_EQ(Read(std::string(" <r>a\0\0b</r>", 12), text),
            "ANSI length 12 (2 nulls removed) (used UTF-8 detection) ");
  EXPECT_EQ(text, " <r>ab</r>");
}

TEST_F(EncodingsTest, DeclaredEncodingSelectsCodePage) {
  std::string text;
  EXPECT_EQ(Read("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r>\xE9</r>", text),
            "ISO-8859-1 length 51 to length 51 ");
  EXPECT_EQ(text.substr(text.size() - 5), "\xE9</r>");
  // KOI8-R 0xC1 is Cyrillic small a, which 1252 lacks.
  EXPECT_EQ(Read("<?xml encoding='koi8-r' version='1.0'?><r>\xC1</r>", text),
            "koi8-r length 47 to length 47 (chars lost in conversion!) ");
  EXPECT_EQ(Read("<?xml version='1.0' encoding='x-no-such'?><r>\xE9</r>", text), "x-no-such length 50 ");
  EXPECT_EQ(text.substr(text.size() - 5), "\xE9</r>");
}

TEST_F(EncodingsTest, ByteFileDeclaringWideEncodingIsConvertedWithinItsBytes) {
  // The declaration names 2- or 4-byte units, but the file was read as bytes
  // (zero bytes removed): the converter must read only whole units of it.
  std::string text;
  // 7 whole units, each beyond U+FFFF, so 7 surrogate pairs: Windows makes
  // each half a default character, iconv each pair.
#ifdef _WIN32
  EXPECT_EQ(Read("<?xml encoding=\"UTF-32\"?><r/>", text), "UTF-32 length 29 to length 14 (chars lost in conversion!) ");
  EXPECT_EQ(text, std::string(14, '?'));
#else
  EXPECT_EQ(Read("<?xml encoding=\"UTF-32\"?><r/>", text), "UTF-32 length 29 to length 7 (chars lost in conversion!) ");
  EXPECT_EQ(text, std::string(7, '?'));
#endif
  EXPECT_EQ(Read("<?xml encoding='utf-16'?><r/>", text), "utf-16 length 29 to length 14 (chars lost in conversion!) ");
  EXPECT_EQ(Read("<?xml encoding='utf-16'?><r/>x", text).substr(0, 20), "utf-16 length 30 to ");
  // Big-endian UTF-16 is left to the system's conversions, which on Windows
  // do not take UTF-16 at all.
#ifdef _WIN32
  EXPECT_EQ(Read("<?xml encoding='unicodefffe'?><r/>", text), "unicodefffe length 34 to length 0 ");
  EXPECT_EQ(text, "");
#else
  EXPECT_EQ(Read("<?xml encoding='unicodefffe'?><r/>", text),
            "unicodefffe length 34 to length 17 (chars lost in conversion!) ");
  EXPECT_EQ(text, std::string(17, '?'));
#endif
}

TEST_F(EncodingsTest, HtmlMetaCharsetSelectsCodePage) {
  const std::string html =
      "<html><head><meta name=x><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">"
      "</head><body>\xE0</body></html>";
  std::string text;
  EXPECT_EQ(Read(html, text), "windows-1251 length " + std::to_string(html.size()) + " to length " +
                                  std::to_string(html.size()) + " (chars lost in conversion!) ");
  // A meta tag before the html start tag is not seen.
  EXPECT_EQ(DetectDeclaredEncoding("<meta http-equiv='Content-Type' content='text/html; charset=koi8-r'><html>"), "");
  EXPECT_EQ(DetectDeclaredEncoding("<html><head></head><meta http-equiv='Content-Type' content='charset=koi8-r'>"),
            "");
  EXPECT_EQ(DetectDeclaredEncoding("<html><META HTTP-EQUIV=content-type CONTENT='a; charset = big5'>"), "big5");
  EXPECT_EQ(DetectDeclaredEncoding("<html><meta http-equiv='Content-Type'><meta charset=x>"), "");
}

TEST_F(EncodingsTest, DetectionStepsOverLeadBytesAsTheParserDoes) {
  // In code page 932, 0x81 and the '<' after it are one character of text,
  // so the parser sees no meta tag there, and neither may the detection.
  const std::string html =
      "<html>\x81<meta http-equiv='Content-Type' content='text/html; charset=koi8-r'></html>";
  EXPECT_EQ(DetectDeclaredEncoding(html), "koi8-r");
  sys::OverrideSystemCodePage(932);
  EXPECT_EQ(DetectDeclaredEncoding(html), "");
  std::string text;
  EXPECT_EQ(Read(html, text).rfind("UTF-8 ", 0), 0u);
  EXPECT_EQ(DetectDeclaredEncoding("<?xml version='\x81x' encoding='euc-jp'?>"), "euc-jp");
  // So does the attribute lookup: 0x81 and the quote after it are one character.
  const sys::LeadByteTable lead = sys::LeadBytes(932);
  std::string_view value;
  EXPECT_TRUE(FindAttribute("<meta a='\x81' b='2'>", 1, "b", 0, value));
  EXPECT_EQ(value, "2");
  EXPECT_FALSE(FindAttribute("<meta a='\x81' b='2'>", 1, "b", 0, value, &lead));
  EXPECT_EQ(DetectDeclaredEncoding("<?xml version='\x81' encoding='euc-jp'?>"), "");
  // And the words of the content value: 0x81 and the blank after it are one
  // character, so "charset" is no word of its own there.
  const std::string meta = "<html><meta http-equiv='Content-Type' content='x\x81 charset=koi8-r'>";
  EXPECT_EQ(DetectDeclaredEncoding(meta), "");
  sys::OverrideSystemCodePage(1252);
  EXPECT_EQ(DetectDeclaredEncoding(meta), "koi8-r");
}

TEST(AttributeLookupTest, ValuesNamesAndEnds) {
  auto lookup = [](std::string_view tag, std::string_view wanted) {
    std::string_view value;
    return FindAttribute(tag, 1, wanted, kFlagIgnoreCase, value) ? std::string(value) : std::string("<none>");
  };
  EXPECT_EQ(lookup("<meta a=\"1\" b='2' c=3>", "b"), "2");
  EXPECT_EQ(lookup("<meta a=\"1\" b='2' c=3>", "c"), "3");
  EXPECT_EQ(lookup("<meta a = \"x y\">", "A"), "x y");        // case flag, blanks around '='
  EXPECT_EQ(lookup("<meta flag other=1>", "flag"), "flag");     // a name without value: the name
  EXPECT_EQ(lookup("<meta a=1/>", "a"), "1/");                   // unquoted values run to '>'
  EXPECT_EQ(lookup("<meta a=1 / b=2>", "b"), "<none>");         // '/' ends the attributes
  EXPECT_EQ(lookup("<meta other='a=b' x=\"c\">", "a"), "<none>");  // values are not names
  EXPECT_EQ(lookup("<meta a>", "meta"), "<none>");              // the tag name is skipped
  std::string_view value;
  EXPECT_TRUE(FindAttribute("<?xml version='1.0' encoding='koi8-r'?>", 2, "encoding", 0, value));
  EXPECT_EQ(value, "koi8-r");
}

TEST(WordReaderTest, DelimitersAreWordsOfTheirOwn) {
  std::string_view text = "  text/html; charset=utf-8", word;
  std::size_t pos = 0;
  std::vector<std::string> words;
  while (ReadWord(text, pos, word)) words.emplace_back(word);
  EXPECT_EQ(words, (std::vector<std::string>{"text", "/", "html", ";", "charset", "=", "utf-8"}));
}

TEST_F(EncodingsTest, DeclarationRules) {
  EXPECT_EQ(DetectDeclaredEncoding("<?xml version='1.0'?>"), "");
  EXPECT_EQ(DetectDeclaredEncoding("<?XML encoding=\"utf-16\"?>"), "utf-16");
  EXPECT_EQ(DetectDeclaredEncoding("<?xml-stylesheet encoding='a'?><?xml encoding='b'?>"), "");
  EXPECT_EQ(DetectDeclaredEncoding("<!-- c --><?xml encoding=latin1 ?>"), "latin1");
  EXPECT_EQ(DetectDeclaredEncoding("<r/><?xml encoding='b'?>"), "");
}

TEST_F(EncodingsTest, ForcedEncodingReplacesDetectedByteEncoding) {
  std::string text, log;
  ASSERT_TRUE(ReadTextFile(File("<r>\xE9</r>"), text, &log, nullptr, "iso-8859-1"));
  EXPECT_EQ(log, "UTF-8 forced iso-8859-1 length 8 to length 8 ");
  EXPECT_EQ(text, "<r>\xE9</r>");
}

TEST_F(EncodingsTest, MissingFileFailsWithSystemMessage) {
  std::string text = "old", log;
  EXPECT_FALSE(ReadTextFile("/nonexistent/vexaro.xml", text, &log));
  EXPECT_EQ(text, "");
#ifdef _WIN32
  // The folder is missing, so Windows reports the path, not the file.
  EXPECT_EQ(log, test_support::WindowsMessage(ERROR_PATH_NOT_FOUND));
  EXPECT_FALSE(log.empty());
#else
  EXPECT_EQ(log, "No such file or directory");
#endif
}

TEST_F(EncodingsTest, DirectoryIsNotReadAsAFile) {
  std::string text, log;
  EXPECT_FALSE(ReadTextFile(::testing::TempDir(), text, &log));
#ifdef _WIN32
  // Windows refuses to open a folder as a file with "access denied".
  EXPECT_EQ(log, test_support::WindowsMessage(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(log.empty());
#else
  EXPECT_EQ(log, "Is a directory");
#endif
}

TEST_F(EncodingsTest, LoadParsesAndKeepsTheLogBeforeTheError) {
  XmlDocument doc;
  EXPECT_TRUE(doc.Load(File("\xEF\xBB\xBF<r><a>x &amp; y</a></r>")));
  EXPECT_EQ(doc.ResultText(), "UTF-8 BOM + length 23 to length 23 ");
  EXPECT_EQ(doc.ElementText(2), "x & y");
  EXPECT_FALSE(doc.Load(File("<r>")));
  EXPECT_EQ(doc.ResultText(), "UTF-8 length 3 to length 3  Element 'r' at offset 0 not ended");
}

// Each file's encoding comes from that file alone: a byte-order mark seen in
// one file must not change how the next one is read (run under the address
// sanitizer: reading a byte file as UTF-16 ran past its buffer).
TEST_F(EncodingsTest, LoadsOfDifferentEncodingsIntoOneDocument) {
  struct Case {
    std::string bytes;
    const char* log;
    std::uint32_t bomFlag;
  };
  const std::string plain = "<r>plain text of some length, read as bytes</r>";
  const Case cases[] = {
      {"\xFE\xFF" + Utf16(u"<r>\u00E9</r>", true), "UTF-16BE BOM + length 8 endian swap to 8 bytes ", kFileUtf16Be},
      {plain, "UTF-8 length 47 to length 47 ", 0},
      {"\xFF\xFE" + Utf16(u"<r>\u00E9</r>", false), "UTF-16LE BOM + length 8 to 8 bytes ", kFileUtf16Le},
      {"\xEF\xBB\xBF<r>\xC3\xA9</r>", "UTF-8 BOM + length 9 to length 8 ", kFileUtf8Bom},
      {"\xFE\xFF" + Utf16(u"<r>\u00E9</r>", true), "UTF-16BE BOM + length 8 endian swap to 8 bytes ", kFileUtf16Be},
      {" <r>caf\xE9</r>", "ANSI length 12 (used UTF-8 detection) ", 0},
  };
  XmlDocument doc;
  doc.SetDocumentFlags(kFlagIgnoreCase);
  for (const Case& c : cases) {
    EXPECT_TRUE(doc.Load(File(c.bytes))) << c.log << doc.ResultText();
    EXPECT_EQ(doc.ResultText(), c.log);
    EXPECT_EQ(doc.DocumentFlags(), kFlagIgnoreCase | kFileReading | c.bomFlag) << c.log;
  }
  EXPECT_EQ(doc.ElementText(1), "caf\xE9");
}

TEST_F(EncodingsTest, LoadOnlyReadsWhateverTheDocumentFlagsSay) {
  const std::string& path = File("<r>kept</r>");
  XmlDocument doc;
  doc.SetDocumentFlags(kFileWriting);
  EXPECT_TRUE(doc.Load(path)) << doc.ResultText();
  doc.SetDocumentFlags(kFileAppending);
  EXPECT_TRUE(doc.Load(path)) << doc.ResultText();
  EXPECT_EQ(doc.ElementText(1), "kept");
}

TEST(CodePageNamesTest, NamesMapToCodePages) {
  EXPECT_EQ(CodePageFromName(""), 0);
  EXPECT_EQ(CodePageFromName("ISO-8859-1"), 28591);
  EXPECT_EQ(CodePageFromName("iso_8859-1:1987"), 28591);
  EXPECT_EQ(CodePageFromName("Shift_JIS"), 932);
  EXPECT_EQ(CodePageFromName("UTF-8"), 65001);
  EXPECT_EQ(CodePageFromName("utf-16"), 1200);
  EXPECT_EQ(CodePageFromName("UTF-32BE"), 65005);
  EXPECT_EQ(CodePageFromName("utf-32"), -1);  // only the capital prefix means UTF-32
  EXPECT_EQ(CodePageFromName("EXTENDED_UNIX_CODE_PACKED_FORMAT_FOR_JAPANESE"), 51932);
  EXPECT_EQ(CodePageFromName("no-such-name"), -1);
  EXPECT_EQ(CodePageFromName(std::string(100, 'a')), -1);
  EXPECT_EQ(CodePageFromName("utf-8 "), -1);
}

TEST(CodePageNamesTest, EveryListedNameIsFound) {
  std::ifstream in(std::string(VEXARO_SOURCE_DIR) + "/tools/xml-tables/code-page-names.txt");
  ASSERT_TRUE(in);
  std::string line;
  int count = 0;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    const std::size_t tab = line.find('\t');
    const std::string name = line.substr(tab + 1);
    std::string upper = name;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(CodePageFromName(name), std::stoi(line.substr(0, tab))) << name;
    EXPECT_EQ(CodePageFromName(upper), std::stoi(line.substr(0, tab))) << upper;
    ++count;
  }
  EXPECT_EQ(count, 254);
}

class ConvertTest : public ::testing::Test {
 protected:
  void SetUp() override { sys::OverrideSystemCodePage(1252); }
  void TearDown() override { sys::OverrideSystemCodePage(0); }
};

TEST_F(ConvertTest, NeedsConversionComparesCodePages) {
  EXPECT_TRUE(NeedsConversion("UTF-8", ""));
  EXPECT_FALSE(NeedsConversion("windows-1252", ""));
  EXPECT_FALSE(NeedsConversion("x-ansi", "us"));
  EXPECT_FALSE(NeedsConversion("nonsense", ""));
  EXPECT_FALSE(NeedsConversion("latin1", "l1"));
  sys::OverrideSystemCodePage(65001);
  EXPECT_FALSE(NeedsConversion("UTF-8", ""));
}

TEST_F(ConvertTest, Utf32ToUtf8AndUtf16) {
  const std::uint32_t points[] = {0x41, 0xE9, 0x20AC, 0x1F600};
  char utf8[16];
  EXPECT_EQ(ConvertText("UTF-32", "UTF-8", points, 4, nullptr, 0, nullptr), 10);
  ASSERT_EQ(ConvertText("UTF-32", "UTF-8", points, 4, utf8, sizeof utf8, nullptr), 10);
  EXPECT_EQ(std::string(utf8, 10), "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
  char16_t utf16[8];
  ASSERT_EQ(ConvertText("UTF-32", "UTF-16", points, 4, utf16, 8, nullptr), 5);
  EXPECT_EQ(std::u16string(utf16, 5), u"A\u00E9\u20AC\U0001F600");
  EXPECT_EQ(ConvertText("UTF-32", "UTF-8", points, 4, utf8, 9, nullptr), 0);  // too small
}

TEST_F(ConvertTest, Utf16AndUtf8ToUtf32) {
  const char16_t utf16[] = u"A\U0001F600\xD800";
  std::uint32_t points[8];
  ASSERT_EQ(ConvertText("UTF-16", "UTF-32", utf16, 4, points, 8, nullptr), 3);
  EXPECT_EQ(points[0], 0x41u);
  EXPECT_EQ(points[1], 0x1F600u);
  EXPECT_EQ(points[2], static_cast<std::uint32_t>('?'));  // surrogate at the end
  const char utf8[] = "a\xC3\xA9\xF8z\xE2\x82";
  ASSERT_EQ(ConvertText("UTF-8", "UTF-32", utf8, 7, points, 8, nullptr), 6);
  EXPECT_EQ(points[0], 0x61u);
  EXPECT_EQ(points[1], 0xE9u);
  EXPECT_EQ(points[2], static_cast<std::uint32_t>('?'));  // 0xF8: bad lead byte
  EXPECT_EQ(points[3], static_cast<std::uint32_t>('z'));
  EXPECT_EQ(points[4], static_cast<std::uint32_t>('?'));  // truncated sequence
}

TEST_F(ConvertTest, ByteCodePagesThroughUtf16) {
  bool lost = true;
  char out[16];
  const char latin[] = "caf\xE9";
  ASSERT_EQ(ConvertText("iso-8859-1", "UTF-8", latin, 4, out, sizeof out, &lost), 5);
  EXPECT_EQ(std::string(out, 5), "caf\xC3\xA9");
  EXPECT_FALSE(lost);
  const char cyrillic[] = "\xE6";  // Zhe in 1251
  ASSERT_EQ(ConvertText("windows-1251", "", cyrillic, 1, out, sizeof out, &lost), 1);
  EXPECT_EQ(out[0], '?');
  EXPECT_TRUE(lost);
  const char greek[] = "\xE1";  // alpha in 1253
  ASSERT_EQ(ConvertText("windows-1253", "", greek, 1, out, sizeof out, &lost), 1);
#ifdef _WIN32
  // Windows' best fit: a similar letter, not a loss.
  EXPECT_EQ(out[0], 'a');
  EXPECT_FALSE(lost);
#else
  EXPECT_EQ(out[0], '?');  // iconv has no best fit
  EXPECT_TRUE(lost);
#endif
}

TEST(Utf8Test, ValidityAndSequenceCount) {
  int count = -1;
  EXPECT_TRUE(IsValidUtf8("plain", 5, count));
  EXPECT_EQ(count, 0);
  EXPECT_TRUE(IsValidUtf8("\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", 9, count));
  EXPECT_EQ(count, 3);
  EXPECT_FALSE(IsValidUtf8("\xC3", 1, count));
  EXPECT_FALSE(IsValidUtf8("\xC3(", 2, count));
  EXPECT_FALSE(IsValidUtf8("\xF8\x80\x80\x80", 4, count));
  EXPECT_TRUE(IsValidUtf8("ok\0\xFF", 4, count));  // stops at a zero byte
  EXPECT_TRUE(IsValidUtf8("\xC0\x80", 2, count));  // no overlong test
}

}  // namespace
}  // namespace vexaro::xml
