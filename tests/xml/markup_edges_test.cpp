// Edges of the reader's rules that a one-character slip would move: the end
// of a CDATA section, the first character of a tag name, hexadecimal digits
// and surrogates in references, and the charset keyword of a meta tag.
#include <gtest/gtest.h>

#include "platform/sys/codepage.h"
#include "xml/encodings.h"
#include "xml/entities.h"
#include "xml/xml_document.h"

namespace vexaro::xml {
namespace {

class MarkupEdgesTest : public ::testing::Test {
 protected:
  void SetUp() override { sys::OverrideSystemCodePage(1252); }
  void TearDown() override { sys::OverrideSystemCodePage(0); }
  XmlDocument doc;
};

TEST_F(MarkupEdgesTest, CdataSectionEndsOnlyAtTwoBracketsAndAnAngle) {
  ASSERT_TRUE(doc.SetText("<r><a><![CDATA[x]>y]]></a></r>"));
  EXPECT_EQ(doc.ElementText(2), "x]>y");
}

TEST_F(MarkupEdgesTest, TagNamesStartAfterTheBackquote) {
  doc.SetText("<r><`a/></r>");
  EXPECT_EQ(doc.ResultText(), "Incorrect tag name character at offset 3");
  ASSERT_TRUE(doc.SetText("<r><a/><_b/><:c/><Zd/></r>"));
  EXPECT_EQ(doc.RecordCount(), 6);
}

TEST_F(MarkupEdgesTest, HexadecimalReferencesTakeEveryDigitInBothCases) {
  EXPECT_EQ(DecodeEntities("&#x3f;&#x3F;&#xff;&#xFF;&#xaB;"), "??\xFF\xFF\xAB");
}

TEST_F(MarkupEdgesTest, SurrogateReferencesStayAsWritten) {
  EXPECT_EQ(DecodeEntities("&#xDBFF;&#xDC00;&#xDFFF;&#57343;"), "&#xDBFF;&#xDC00;&#xDFFF;&#57343;");
  sys::OverrideSystemCodePage(65001);  // a code page that has every character
  EXPECT_EQ(DecodeEntities("&#xDBFF;&#xDC00;&#xDFFF;"), "&#xDBFF;&#xDC00;&#xDFFF;");
  EXPECT_EQ(DecodeEntities("&#xD7FF;&#xE000;"), "\xED\x9F\xBF\xEE\x80\x80");
}

TEST_F(MarkupEdgesTest, MetaCharsetKeywordInAnyLetterCase) {
  EXPECT_EQ(DetectDeclaredEncoding(
                "<html><meta http-equiv='Content-Type' content='text/html; CHARSET=koi8-r'>"),
            "koi8-r");
  EXPECT_EQ(DetectDeclaredEncoding("<html><meta http-equiv='Content-Type' content='text/html; Charset=big5'>"),
            "big5");
}

}  // namespace
}  // namespace vexaro::xml
