// Navigation by name, element text, and the settings lookups the UI makes.
#include <gtest/gtest.h>

#include "platform/sys/codepage.h"
#include "tests/xml/system_message.h"
#include "xml/settings_document.h"
#include "xml/xml_document.h"

namespace vexaro::xml {
namespace {

class NavigationTest : public ::testing::Test {
 protected:
  void SetUp() override { sys::OverrideSystemCodePage(65001); }
  void TearDown() override { sys::OverrideSystemCodePage(0); }

  // The settings lookup of the UI font code: section and key below the root.
  std::string ReadSetting(std::string_view section, std::string_view key) {
    doc.Rewind();
    while (doc.FindChildElement(section)) {
      doc.EnterChild();
      if (doc.FindChildElement(key)) return doc.ChildText();
    }
    return {};
  }

  XmlDocument doc;
};

TEST_F(NavigationTest, SettingsLookupFindsSectionBelowAnyRoot) {
  doc.SetText("<strings><GLOBAL><FONT>Tahoma</FONT><FONT_SIZE> 16pt</FONT_SIZE></GLOBAL></strings>");
  EXPECT_EQ(ReadSetting("GLOBAL", "FONT"), "Tahoma");
  EXPECT_EQ(ReadSetting("GLOBAL", "FONT_SIZE"), " 16pt");
  EXPECT_EQ(ReadSetting("GLOBAL", "MISSING"), "");
  EXPECT_EQ(ReadSetting("Global", "FONT"), "");  // names compare case-sensitively
}

TEST_F(NavigationTest, SettingsLookupEdgeCases) {
  doc.SetText("<GLOBAL><FONT>x</FONT></GLOBAL>");
  EXPECT_EQ(ReadSetting("GLOBAL", "FONT"), "");  // the section must be a child of the root
  doc.SetText("<r><GLOBAL><A/></GLOBAL><GLOBAL><FONT>y</FONT></GLOBAL></r>");
  EXPECT_EQ(ReadSetting("GLOBAL", "FONT"), "");  // only the first section is searched
  doc.SetText("<r><GLOBAL><GLOBAL><FONT>z</FONT></GLOBAL></GLOBAL></r>");
  EXPECT_EQ(ReadSetting("GLOBAL", "FONT"), "z");  // a nested section is entered in turn
  doc.SetText("<r><GLOBAL><font>f</font><FONT>A &amp; B</FONT></GLOBAL></r>");
  EXPECT_EQ(ReadSetting("GLOBAL", "FONT"), "A & B");
  // Not well-formed: the index is still searched, but the section that was
  // not ended has lost its children to the root.
  doc.SetText("<r><GLOBAL><FONT>x</FONT></r>");
  EXPECT_EQ(ReadSetting("GLOBAL", "FONT"), "");
  doc.SetText("<r><GLOBAL><FONT>x</FONT></GLOBAL><stray></r>");
  EXPECT_EQ(ReadSetting("GLOBAL", "FONT"), "x");
}

TEST_F(NavigationTest, FindElementWithoutNameTakesFirstTopLevelElement) {
  doc.SetText("<a/><b/>");
  doc.Rewind();
  ASSERT_TRUE(doc.FindElement());
  EXPECT_EQ(doc.ElementName(doc.CurrentPosition()), "a");
  ASSERT_TRUE(doc.FindElement());
  EXPECT_EQ(doc.ElementName(doc.CurrentPosition()), "b");
  EXPECT_FALSE(doc.FindElement());
  EXPECT_EQ(doc.ElementName(doc.CurrentPosition()), "b");  // unchanged on failure
  doc.Rewind();
  EXPECT_TRUE(doc.FindElement("b"));
  EXPECT_EQ(doc.CurrentNodeType(), 1);
}

TEST_F(NavigationTest, FindOnEmptyIndexFails) {
  XmlDocument empty;
  EXPECT_FALSE(empty.FindElement());
  EXPECT_FALSE(empty.FindChildElement());
  EXPECT_FALSE(empty.EnterChild());
  EXPECT_EQ(empty.ChildText(), "");
}

TEST_F(NavigationTest, FindChildLeavesRootCurrentWhenNothingMatches) {
  doc.SetText("<r><a/></r>");
  doc.Rewind();
  EXPECT_FALSE(doc.FindChildElement("b"));
  EXPECT_EQ(doc.CurrentPosition(), 1);
  EXPECT_EQ(doc.ChildPosition(), 0);
  EXPECT_EQ(doc.ParentPosition(), 0);
}

TEST_F(NavigationTest, PositionsMoveTogether) {
  doc.SetText("<r><a><x/><y/></a><b/></r>");
  doc.Rewind();
  ASSERT_TRUE(doc.FindChildElement("a"));
  EXPECT_EQ(doc.ParentPosition(), 0);
  EXPECT_EQ(doc.CurrentPosition(), 1);
  EXPECT_EQ(doc.ChildPosition(), 2);
  ASSERT_TRUE(doc.EnterChild());
  EXPECT_EQ(doc.ParentPosition(), 1);
  EXPECT_EQ(doc.CurrentPosition(), 2);
  EXPECT_EQ(doc.ChildPosition(), 0);
  ASSERT_TRUE(doc.FindChildElement());
  ASSERT_TRUE(doc.FindChildElement());
  EXPECT_EQ(doc.ElementName(doc.ChildPosition()), "y");
  EXPECT_FALSE(doc.FindChildElement());
  ASSERT_TRUE(doc.FindElement("b"));
  EXPECT_EQ(doc.CurrentPosition(), 5);
  EXPECT_EQ(doc.ParentPosition(), 1);
}

TEST_F(NavigationTest, WantedNameMayCarryASuffixAfterADelimiter) {
  doc.SetText("<r><item/><items/></r>");
  doc.Rewind();
  for (const char* wanted : {"item attr", "item=1", "item/", "item[0]", "item]"}) {
    doc.Rewind();
    ASSERT_TRUE(doc.FindChildElement(wanted)) << wanted;
    EXPECT_EQ(doc.ChildPosition(), 2) << wanted;
  }
  doc.Rewind();
  ASSERT_TRUE(doc.FindChildElement("items"));
  EXPECT_EQ(doc.ChildPosition(), 3);
  doc.Rewind();
  EXPECT_FALSE(doc.FindChildElement("ite"));
}

TEST_F(NavigationTest, IgnoreCaseFlagAppliesToSearches) {
  doc.SetText("<r><Font>a</Font></r>");
  doc.Rewind();
  EXPECT_FALSE(doc.FindChildElement("FONT"));
  doc.SetDocumentFlags(kFlagIgnoreCase);
  EXPECT_TRUE(doc.FindChildElement("FONT"));
}

TEST_F(NavigationTest, ElementTextJoinsTextSkipsMarkupAndUnwrapsCdata) {
  doc.SetText(
      "<r><a>one <!-- c --> two</a><b> <![CDATA[<raw> &amp;]]> </b><c> \t </c><d>x<e/>y</d>"
      "<f></f><g/><h>a>b&lt;c</h><i>p<?pi?>q</i><j>x<![CDATA[]]>y</j></r>");
  auto textOf = [&](std::int32_t i) { return doc.ElementText(i); };
  EXPECT_EQ(textOf(2), "one  two");
  EXPECT_EQ(textOf(3), "<raw> &amp;");
  EXPECT_EQ(textOf(4), " \t ");
  EXPECT_EQ(textOf(5), "");  // has a child element
  EXPECT_EQ(textOf(7), "");
  EXPECT_EQ(textOf(8), "");
  EXPECT_EQ(textOf(9), "a>b<c");
  EXPECT_EQ(textOf(10), "pq");
  EXPECT_EQ(textOf(11), "xy");
  EXPECT_EQ(textOf(0), "");  // the document holds the root element
  EXPECT_EQ(textOf(99), "");
  EXPECT_EQ(textOf(-1), "");
}

TEST_F(NavigationTest, DocumentWithoutElementsHasItsWholeTextAsText) {
  // Record 0 spans the text; with no element below it, its text is the
  // document's character data, and ChildText with no child is that text.
  doc.SetText("a &amp; b<!-- c --> c");
  EXPECT_EQ(doc.ElementText(0), "a & b c");
  doc.Rewind();
  EXPECT_EQ(doc.ChildText(), "a & b c");
  doc.SetText("");
  EXPECT_EQ(doc.ChildText(), "");
}

TEST_F(NavigationTest, SettingsDocumentIsOneEmptyDocument) {
  XmlDocument& settings = TheSettingsDocument();
  EXPECT_EQ(&settings, &TheSettingsDocument());
  EXPECT_TRUE(settings.IsEmpty());
  EXPECT_EQ(settings.DocumentFlags(), 0u);
  EXPECT_EQ(settings.RecordCount(), 1);
}

TEST_F(NavigationTest, FailedLoadLeavesNoStaleIndex) {
  doc.SetText("<r><a>text</a></r>");
  EXPECT_FALSE(doc.Load("/nonexistent/dir/strings.xml"));
  EXPECT_TRUE(doc.IsEmpty());
  EXPECT_EQ(doc.RecordCount(), 1);
  EXPECT_EQ(doc.ElementText(2), "");
  doc.Rewind();
  EXPECT_FALSE(doc.FindChildElement("a"));
#ifdef _WIN32
  EXPECT_EQ(doc.ResultText(), test_support::WindowsMessage(ERROR_PATH_NOT_FOUND));  // the folder is missing
#else
  EXPECT_EQ(doc.ResultText(), "No such file or directory");
#endif
}

}  // namespace
}  // namespace vexaro::xml
