// The segmented element index: growth rules and documents that cross the
// 65,536- and 131,072-record segment boundaries.
#include <gtest/gtest.h>

#include <string>

#include "platform/sys/codepage.h"
#include "xml/xml_document.h"

namespace vexaro::xml {
namespace {

TEST(ElementIndexTest, GrowthAddsAtMostOneSegmentAndKeepsFullSegments) {
  ElementIndex index;
  ASSERT_TRUE(index.Reserve(8));
  EXPECT_EQ(index.Capacity(), 8);
  EXPECT_EQ(index.SegmentCount(), 1);
  EXPECT_EQ(index.SegmentTableSize(), 4);
  index[7].start = 77;
  ASSERT_TRUE(index.Grow(8));
  EXPECT_EQ(index.Capacity(), 12);  // by half the used count
  EXPECT_EQ(index[7].start, 77);    // the short last segment was copied
  ASSERT_TRUE(index.Grow(100000));
  EXPECT_EQ(index.Capacity(), 65536 * 2);  // capped at one more segment
  EXPECT_EQ(index.SegmentCount(), 2);
  EXPECT_EQ(index.SegmentSize(0), 65536);
  EXPECT_EQ(index[7].start, 77);
  ASSERT_TRUE(index.Grow(65536 * 2));
  EXPECT_EQ(index.Capacity(), 65536 * 3);
  ASSERT_TRUE(index.Grow(65536 * 3));
  ASSERT_TRUE(index.Grow(65536 * 4));
  EXPECT_EQ(index.SegmentCount(), 5);
  EXPECT_EQ(index.SegmentTableSize(), 2 * 4 + 4);  // replaced when segment 4 was added
  EXPECT_TRUE(index.Reserve(10));                  // never shrinks
  EXPECT_EQ(index.Capacity(), 65536 * 5);
}

TEST(ElementIndexTest, ReserveSpanningSegmentsFillsAllButTheLast) {
  ElementIndex index;
  ASSERT_TRUE(index.Reserve(65536 * 2 + 100));
  EXPECT_EQ(index.SegmentCount(), 3);
  EXPECT_EQ(index.SegmentSize(1), 65536);
  EXPECT_EQ(index.SegmentSize(2), 100);
}

class SegmentBoundaryTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override { sys::OverrideSystemCodePage(65001); }
  void TearDown() override { sys::OverrideSystemCodePage(0); }
};

// A root with `count` children, each holding its number as text, every
// tenth with a grandchild. Short tags keep the initial capacity small, so
// the index grows through its segments while parsing.
TEST_P(SegmentBoundaryTest, EveryRecordReachableAndCorrect) {
  const int count = GetParam();
  std::string text = "<r>";
  text.reserve(static_cast<std::size_t>(count) * 16);
  int grandchildren = 0;
  for (int i = 0; i < count; ++i) {
    if (i % 10 == 0) {
      text += "<e><g/></e>";
      ++grandchildren;
    } else {
      text += "<e>" + std::to_string(i) + "</e>";
    }
  }
  text += "</r>";
  XmlDocument doc;
  ASSERT_TRUE(doc.SetText(text)) << doc.ResultText();
  ASSERT_EQ(doc.RecordCount(), 2 + count + grandchildren);
  EXPECT_GT(doc.Index().SegmentCount(), (doc.RecordCount() - 1) / 65536);
  for (int s = 0; s + 1 < doc.Index().SegmentCount(); ++s) EXPECT_EQ(doc.Index().SegmentSize(s), 65536);

  // Walk the children through the links and check each against the text.
  doc.Rewind();
  int seen = 0;
  std::int32_t previous = 0;
  while (doc.FindChildElement("e")) {
    const std::int32_t child = doc.ChildPosition();
    const ElementRecord& record = doc.Record(child);
    ASSERT_EQ(record.parent, 1);
    ASSERT_EQ(record.Level(), 1u);
    ASSERT_EQ(text.compare(static_cast<std::size_t>(record.start), 3, "<e>"), 0);
    if (seen % 10 == 0) {
      ASSERT_NE(record.firstChild, 0);
      ASSERT_EQ(doc.Record(record.firstChild).parent, child);
      ASSERT_EQ(doc.Record(record.firstChild).Level(), 2u);
      ASSERT_EQ(doc.ChildText(), "");
    } else {
      ASSERT_EQ(doc.ChildText(), std::to_string(seen)) << "child " << seen << " record " << child;
    }
    if (previous != 0) {
      ASSERT_EQ(record.previousSibling, previous);
    }
    previous = child;
    ++seen;
  }
  EXPECT_EQ(seen, count);
  EXPECT_EQ(doc.Record(doc.Record(1).firstChild).previousSibling, previous);
}

INSTANTIATE_TEST_SUITE_P(Boundaries, SegmentBoundaryTest, ::testing::Values(65530, 65600, 131100, 140000));

}  // namespace
}  // namespace vexaro::xml
