// Parsing: the element index, empty-element rules, and every error message.
#include <gtest/gtest.h>

#include <random>

#include "platform/sys/codepage.h"
#include "xml/xml_document.h"

namespace vexaro::xml {
namespace {

class ParseTest : public ::testing::Test {
 protected:
  void SetUp() override { sys::OverrideSystemCodePage(1252); }
  void TearDown() override { sys::OverrideSystemCodePage(0); }

  // Parses `text` and returns the result text (the error message).
  std::string ErrorOf(std::string_view text) {
    doc.SetText(text);
    return doc.ResultText();
  }
  const ElementRecord& R(std::int32_t i) { return doc.Record(i); }

  XmlDocument doc;
};

TEST_F(ParseTest, NewDocumentIsEmptyIndexedAndNotWellFormed) {
  EXPECT_TRUE(doc.IsEmpty());
  EXPECT_FALSE(doc.IsWellFormed());
  EXPECT_EQ(doc.RecordCount(), 1);
  EXPECT_EQ(doc.ResultText(), "Empty document");
}

TEST_F(ParseTest, RecordsHoldExtentsLinksAndLevels) {
  const std::string text = "<root a='1'><x>hi</x><y/><z></z></root>";
  ASSERT_TRUE(doc.SetText(text));
  EXPECT_EQ(doc.ResultText(), "");
  ASSERT_EQ(doc.RecordCount(), 5);
  EXPECT_EQ(R(0).firstChild, 1);
  EXPECT_EQ(R(0).length, static_cast<std::int32_t>(text.size()));
  const ElementRecord& root = R(1);
  EXPECT_EQ(root.start, 0);
  EXPECT_EQ(root.length, static_cast<std::int32_t>(text.size()));
  EXPECT_EQ(root.StartTagLength(), 12);
  EXPECT_EQ(root.EndTagLength(), 7);
  EXPECT_EQ(root.Level(), 0u);
  EXPECT_EQ(root.firstChild, 2);
  EXPECT_TRUE(root.HasFlag(kRecordFirstChild));
  // x, y, z: linked in order, the first child's previous names the last.
  EXPECT_EQ(R(2).nextSibling, 3);
  EXPECT_EQ(R(3).nextSibling, 4);
  EXPECT_EQ(R(4).nextSibling, 0);
  EXPECT_EQ(R(2).previousSibling, 4);
  EXPECT_EQ(R(3).previousSibling, 2);
  EXPECT_EQ(R(4).previousSibling, 3);
  EXPECT_TRUE(R(2).HasFlag(kRecordFirstChild));
  EXPECT_FALSE(R(3).HasFlag(kRecordFirstChild));
  for (int i = 2; i <= 4; ++i) {
    EXPECT_EQ(R(i).parent, 1);
    EXPECT_EQ(R(i).Level(), 1u);
  }
  EXPECT_EQ(R(2).ContentStart(), 15);
  EXPECT_EQ(R(2).ContentLength(), 2);
  EXPECT_TRUE(R(3).IsEmpty());
  EXPECT_EQ(R(3).length, 4);
  EXPECT_FALSE(R(4).IsEmpty());
  EXPECT_EQ(R(4).ContentLength(), 0);
}

TEST_F(ParseTest, EmptyElementTagRules) {
  struct Case {
    const char* tag;
    bool empty;
  } cases[] = {
      {"<a/>", true},          {"<a />", true},       {"<a b=\"x\"/>", true},
      {"<a b='x'/>", true},    {"<a\t/>", true},      {"<a b=x/>", false},
      {"<a b/>", false},       {"<a b=\"/\">", false},
  };
  for (const Case& c : cases) {
    const std::string text = std::string("<r>") + c.tag + "</r>";
    doc.SetText(text);
    ASSERT_GE(doc.RecordCount(), 3) << c.tag;
    // A tag that is not empty lacks its end tag here and is closed as not ended.
    EXPECT_EQ(R(2).HasFlag(kRecordNotEnded), !c.empty) << c.tag;
    EXPECT_EQ(doc.IsWellFormed(), c.empty) << c.tag;
  }
  // The unquoted value keeps its slash and needs an end tag.
  EXPECT_TRUE(doc.SetText("<r><a b=x/></a></r>"));
}

TEST_F(ParseTest, MissingEndTagInsideClosedParentBecomesEmptyWithChildrenAsSiblings) {
  //                0    5    10   15   20   25   30
  const char* text = "<r><p><q/><s/></r>";
  EXPECT_FALSE(doc.SetText(text));
  EXPECT_EQ(doc.ResultText(), "End tag 'r' at offset 15 does not match start tag 'p' at offset 3");
  EXPECT_TRUE(R(0).HasFlag(kRecordIllFormed));
  const ElementRecord& p = R(2);
  EXPECT_TRUE(p.HasFlag(kRecordNotEnded));
  EXPECT_TRUE(p.IsEmpty());
  EXPECT_EQ(p.firstChild, 0);
  EXPECT_EQ(p.nextSibling, 3);
  EXPECT_EQ(R(3).parent, 1);
  EXPECT_EQ(R(4).parent, 1);
  EXPECT_EQ(R(3).nextSibling, 4);
  EXPECT_FALSE(R(3).HasFlag(kRecordFirstChild));
  EXPECT_EQ(R(1).firstChild, 2);
  EXPECT_EQ(R(2).previousSibling, 4);  // the root's last child
  EXPECT_EQ(R(1).length, 18);          // the parent's end tag still closed it
  EXPECT_EQ(R(1).EndTagLength(), 4);
}

TEST_F(ParseTest, ChildrenMovedUpKeepTheLevelTheyWereCreatedAt) {
  // x has no end tag: </r> closes it, and y moves up to follow it under r.
  EXPECT_FALSE(doc.SetText("<r><x><y><z/></y></r>"));
  ASSERT_EQ(doc.RecordCount(), 5);
  EXPECT_EQ(R(3).parent, 1);     // y now under r
  EXPECT_EQ(R(2).Level(), 1u);   // x
  EXPECT_EQ(R(3).Level(), 2u);   // y, as when its start tag was read
  EXPECT_EQ(R(4).Level(), 3u);   // z
  EXPECT_EQ(R(4).parent, 3);
}

TEST_F(ParseTest, ErrorMarkMovesToParentOfNotEndedElement) {
  doc.SetText("<r><p><1></r>");
  EXPECT_EQ(doc.ResultText(), "Incorrect tag name character at offset 6");
  EXPECT_FALSE(R(2).HasFlag(kRecordHasError));
  EXPECT_TRUE(R(1).HasFlag(kRecordHasError));
}

TEST_F(ParseTest, StrayEndTagIsIgnoredApartFromItsMessage) {
  EXPECT_FALSE(doc.SetText("<r><a></b></a></r>"));
  EXPECT_EQ(doc.ResultText(), "No start tag for end tag 'b' at offset 6");
  EXPECT_TRUE(R(2).HasFlag(kRecordHasError));
  EXPECT_FALSE(R(2).HasFlag(kRecordNotEnded));
  EXPECT_EQ(R(2).length, 14 - 3);
  EXPECT_EQ(R(1).length, 18);
}

TEST_F(ParseTest, DocumentLevelMessagesReplaceEarlierOnes) {
  EXPECT_EQ(ErrorOf(""), "Empty document");
  EXPECT_EQ(ErrorOf(" \r\n\t "), "No root element");
  EXPECT_EQ(ErrorOf("just text"), "No root element");
  EXPECT_EQ(ErrorOf("<!-- only --><?pi?>"), "No root element");
  EXPECT_EQ(ErrorOf("<a/><b></b>"), "Root element has sibling");
  EXPECT_EQ(doc.RecordCount(), 3);  // both indexed
  EXPECT_EQ(ErrorOf("<a></x><b/>"), "Root element has sibling");
  EXPECT_FALSE(doc.IsWellFormed());
}

TEST_F(ParseTest, NodeErrorMessagesWithOffsets) {
  EXPECT_EQ(ErrorOf("<r>< a></r>"), "Incorrect tag name character at offset 3");
  EXPECT_EQ(ErrorOf("<r><!x></r>"), "Incorrect ! tag at offset 3");
  EXPECT_EQ(ErrorOf("<r><!-x></r>"), "Incorrect comment tag at offset 3");
  EXPECT_EQ(ErrorOf("<r><![x></r>"), "Incorrect tag at offset 3");
  EXPECT_EQ(ErrorOf("<r><a b='1'"), "Element tag at offset 3 unterminated");
  EXPECT_EQ(ErrorOf("<r></r"), "Element end tag at offset 3 unterminated");
  EXPECT_EQ(ErrorOf("<r><![CDATA[x]]</r>"), "CDATA Section at offset 3 unterminated");
  EXPECT_EQ(ErrorOf("<r/><?pi x"), "Processing instruction at offset 4 unterminated");
  EXPECT_EQ(ErrorOf("<r/><!-- x ->"), "Comment at offset 4 unterminated");
  EXPECT_EQ(ErrorOf("<r/><!DOCTYPE r [ <!ENTITY a 'b'> <r/>"), "Doctype at offset 4 unterminated");
  EXPECT_EQ(ErrorOf("<r/><"), "tag at offset 4 unterminated");
  // An "Incorrect" node that runs into the end becomes the unterminated form.
  EXPECT_EQ(ErrorOf("<r/>< x"), "tag at offset 4 unterminated");
  EXPECT_EQ(ErrorOf("<r>text"), "Element 'r' at offset 0 not ended");
  // A root that is not ended loses its children to the document level.
  EXPECT_EQ(ErrorOf("<r><a>"), "Root element has sibling");
  EXPECT_EQ(ErrorOf("<r></x>"), "No start tag for end tag 'x' at offset 3");
  EXPECT_EQ(ErrorOf("<r><a></r >"), "End tag 'r' at offset 7 does not match start tag 'a' at offset 3");
}

TEST_F(ParseTest, OnlyTheFirstNodeErrorIsKept) {
  EXPECT_EQ(ErrorOf("<r><!x>< y></r>"), "Incorrect ! tag at offset 3");
}

TEST_F(ParseTest, ALaterFaultInsideTheSameNodeGivesItsMessage) {
  // One DOCTYPE node: its subset holds "<1>" and then "<!x", which ends it.
  EXPECT_EQ(ErrorOf("<!DOCTYPE r [<1><!x <r/>"), "Incorrect ! tag at offset 0");
  EXPECT_EQ(ErrorOf("<!DOCTYPE r [<!x><1 <r/>"), "Incorrect tag name character at offset 0");
}

TEST_F(ParseTest, MarkupThatIsNotElementsIsSkipped) {
  const char* text =
      "<?xml version=\"1.0\"?>\n<!DOCTYPE r [\n <!ENTITY e \"a>b\">\n <!-- c > d -->\n]>\n"
      "<r><![CDATA[<not/><tags>]]><!-- <x/> --><?p <y/>?><s attr=\"a>b\" other='c/>'/></r>";
  ASSERT_TRUE(doc.SetText(text)) << doc.ResultText();
  EXPECT_EQ(doc.RecordCount(), 3);
  EXPECT_TRUE(R(2).IsEmpty());
}

TEST_F(ParseTest, NameMatchingOfEndTagsHonoursCaseFlag) {
  EXPECT_FALSE(doc.SetText("<Root></ROOT>"));
  doc.SetDocumentFlags(kFlagIgnoreCase);
  EXPECT_TRUE(doc.SetText("<Root></ROOT>"));
  // Once a non-ASCII byte has matched, the rest must match exactly.
  EXPECT_FALSE(doc.SetText("<\xE9x></\xE9X>"));
  EXPECT_TRUE(doc.SetText("<X\xE9></x\xE9>"));
}

TEST_F(ParseTest, MultibyteCharactersAreSteppedAsWholes) {
  // In code page 932, 0x83 0x3E is one character, not a lead byte and a '>'.
  sys::OverrideSystemCodePage(932);
  ASSERT_TRUE(doc.SetText("<r a=x\x83>y></r>")) << doc.ResultText();
  EXPECT_EQ(R(1).StartTagLength(), 10);
  sys::OverrideSystemCodePage(1252);
  ASSERT_TRUE(doc.SetText("<r a=x\x83>y></r>"));
  EXPECT_EQ(R(1).StartTagLength(), 8);
}

TEST_F(ParseTest, MultibyteNamesWithDelimiterTrailBytesMatch) {
  // 0x95 0x5C is one character in code page 932; its trail byte is a '\\'.
  sys::OverrideSystemCodePage(932);
  ASSERT_TRUE(doc.SetText("<r><\x95\x5C>x</\x95\x5C></r>")) << doc.ResultText();
  EXPECT_EQ(doc.ElementName(2), "\x95\x5C");
  doc.Rewind();
  EXPECT_TRUE(doc.FindChildElement("\x95\x5C"));
  EXPECT_EQ(doc.ChildText(), "x");
}

// The single-byte scanner reads common nodes in quick loops; given a lead
// table (even one without lead bytes) it runs the full state machine. Both
// must see the same nodes in any text.
TEST(ParseNodeTest, QuickLoopsAgreeWithStateMachine) {
  static const char alphabet[] = "<<<>>/=\"' \t\nab!-?[]CD&;x";
  std::mt19937 rng(7);
  const sys::LeadByteTable noLeadBytes{};
  for (int round = 0; round < 20000; ++round) {
    std::string text;
    for (int n = static_cast<int>(rng() % 40); n > 0; --n) text += alphabet[rng() % (sizeof alphabet - 1)];
    const ScanText quick(text);
    const ScanText full(text, &noLeadBytes);
    std::size_t a = 0, b = 0;
    for (;;) {
      NodeDescriptor x, y;
      const int tx = ParseNode(quick, a, x);
      const int ty = ParseNode(full, b, y);
      ASSERT_EQ(tx, ty) << text;
      ASSERT_EQ(a, b) << text;
      ASSERT_EQ(x.length, y.length) << text;
      ASSERT_EQ(x.flags, y.flags) << text;
      if (tx == kNodeElement || tx == kNodeEndTag) {
        ASSERT_EQ(x.Name(text), y.Name(text)) << text;
      }
      ASSERT_EQ(ErrorMessageOf(x), ErrorMessageOf(y)) << text;
      if (tx == kNodeEndOfText) break;
    }
  }
}

// The quick loops end at the scanned text's length, not at a NUL: character
// data of either side of the byte loop's 32 bytes, and tags cut short, must
// not see the markup that follows in memory beyond the text.
TEST(ParseNodeTest, QuickLoopsStopAtTheEndOfTheText) {
  for (std::size_t length : {1u, 31u, 32u, 33u, 300u}) {
    const std::string buffer = std::string(length, 'x') + "yy<r>";
    const ScanText scan(std::string_view(buffer).substr(0, length));
    std::size_t pos = 0;
    NodeDescriptor node;
    EXPECT_EQ(ParseNode(scan, pos, node), kNodeText) << length;
    EXPECT_EQ(pos, length);
    EXPECT_EQ(ParseNode(scan, pos, node), kNodeEndOfText);
  }
  for (std::string_view tag : {"<a b='x' c=\"y\"/", "<a b=", "<a b='x", "</a", "<a"}) {
    const std::string buffer = std::string(tag) + ">'\">";
    const ScanText scan(std::string_view(buffer).substr(0, tag.size()));
    std::size_t pos = 0;
    NodeDescriptor node;
    EXPECT_EQ(ParseNode(scan, pos, node), kNodeError) << tag;
    EXPECT_TRUE(node.unterminated) << tag;
    EXPECT_EQ(pos, tag.size()) << tag;
  }
}

TEST_F(ParseTest, ManyShortTextNodesAreReadInLinearTime) {
  // Each '>' ends a text node; a search for the next '<' must not run to the
  // end of the text for every one of them.
  std::string text = "<r>";
  for (int i = 0; i < 500000; ++i) text += "a>";
  text += "</r>";
  ASSERT_TRUE(doc.SetText(text));
  EXPECT_EQ(doc.ElementText(1).size(), 1000000u);
}

TEST_F(ParseTest, ParseKeepsTheReadingLogBeforeTheError) {
  doc.SetText("<a>");
  // A second Parse keeps what the result text held and appends its error.
  EXPECT_FALSE(doc.Parse());
  EXPECT_EQ(doc.ResultText(), "Element 'a' at offset 0 not ended Element 'a' at offset 0 not ended");
}

TEST_F(ParseTest, VeryDeepNestingIsRefusedInsteadOfTakingQuadraticTime) {
  std::string text;
  for (int i = 0; i < 5000; ++i) text += "<a>";
  for (int i = 0; i < 5000; ++i) text += "</a>";
  EXPECT_FALSE(doc.SetText(text));
  EXPECT_EQ(doc.ResultText(), "Element 'a' at offset 12288 nested too deep");
  EXPECT_EQ(doc.RecordCount(), 4097);
  EXPECT_EQ(doc.Record(1).length, 5000 * 3 + 4096 * 4);  // closed by the 4096th end tag
}

}  // namespace
}  // namespace vexaro::xml
