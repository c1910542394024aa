// The report descriptor parser on descriptors of real keyboards, mice and
// vendor devices, and on malformed ones.
#include "platform/linux/hid_report_descriptor.h"

#include <gtest/gtest.h>

#include "tests/hid_linux/descriptors.h"

namespace vexaro::hid {
namespace {

using hidraw::DescriptorStatus;
using hidraw::ParseReportDescriptor;
using hidraw::ReportDescriptor;
using test::kBootKeyboard;

ReportDescriptor Parse(const std::vector<std::uint8_t>& bytes) {
  ReportDescriptor result;
  EXPECT_EQ(ParseReportDescriptor(bytes.data(), bytes.size(), result), DescriptorStatus::kOk);
  return result;
}

DescriptorStatus StatusOf(const std::vector<std::uint8_t>& bytes) {
  ReportDescriptor result;
  return ParseReportDescriptor(bytes.data(), bytes.size(), result);
}

TEST(ReportDescriptor, BootKeyboardHasWindowsLengthsAndItsThreeFields) {
  const ReportDescriptor d = Parse(kBootKeyboard);
  ASSERT_EQ(d.collections.size(), 1u);
  const Caps& caps = d.collections[0];
  EXPECT_EQ(caps.usagePage, 0x01);
  EXPECT_EQ(caps.usage, 0x06);
  EXPECT_EQ(caps.inputReportByteLength, 9);   // 8 bytes + the (zero) report id byte
  EXPECT_EQ(caps.outputReportByteLength, 2);  // 5 LED bits + 3 padding, + id byte
  EXPECT_EQ(caps.featureReportByteLength, 0);
  EXPECT_FALSE(d.numberedInput);
  ASSERT_EQ(caps.items.size(), 3u);  // constant padding gives no capability
  const ItemCaps& modifiers = caps.items[0];
  EXPECT_TRUE(modifiers.isButton);
  EXPECT_TRUE(modifiers.isRange);
  EXPECT_EQ(modifiers.usagePage, 0x07);
  EXPECT_EQ(modifiers.usageMin, 0xE0);
  EXPECT_EQ(modifiers.usageMax, 0xE7);
  EXPECT_EQ(modifiers.reportCount, 8);
  const ItemCaps& leds = caps.items[1];
  EXPECT_EQ(leds.kind, ReportKind::kOutput);
  EXPECT_EQ(leds.usagePage, 0x08);
  EXPECT_EQ(leds.usageMax, 5);
  const ItemCaps& keys = caps.items[2];
  EXPECT_TRUE(keys.isButton);  // an array field is a button capability
  EXPECT_EQ(keys.bitSize, 8);
  EXPECT_EQ(keys.reportCount, 6);
  EXPECT_EQ(keys.usageMax, 0x65);
}

TEST(ReportDescriptor, MiceGiveButtonsAndOneValuePerAxisInTheirPhysicalCollection) {
  const ReportDescriptor boot = Parse(test::kBootMouse);
  ASSERT_EQ(boot.collections.size(), 1u);
  EXPECT_EQ(boot.collections[0].usage, 0x02);
  EXPECT_EQ(boot.collections[0].inputReportByteLength, 4);
  ASSERT_EQ(boot.collections[0].items.size(), 3u);
  EXPECT_EQ(boot.collections[0].items[0].usagePage, 0x09);
  EXPECT_EQ(boot.collections[0].items[0].linkCollection, 1);
  EXPECT_FALSE(boot.collections[0].items[1].isButton);
  EXPECT_EQ(boot.collections[0].items[1].usageMin, 0x30);
  EXPECT_EQ(boot.collections[0].items[2].usageMin, 0x31);
  EXPECT_EQ(boot.collections[0].items[2].reportCount, 1);

  const ReportDescriptor wheel = Parse(test::kWheelMouse);
  ASSERT_EQ(wheel.collections.size(), 1u);
  EXPECT_EQ(wheel.collections[0].inputReportByteLength, 5);
  ASSERT_EQ(wheel.collections[0].items.size(), 4u);
  EXPECT_EQ(wheel.collections[0].items[3].usageMin, 0x38);
  EXPECT_EQ(wheel.collections[0].items[3].bitSize, 8);
}

TEST(ReportDescriptor, VendorCollectionHas65ByteReportsBothWays) {
  const ReportDescriptor d = Parse(test::kVendor64);
  ASSERT_EQ(d.collections.size(), 1u);
  EXPECT_EQ(d.collections[0].usagePage, 0xFF00);
  EXPECT_EQ(d.collections[0].usage, 0x01);
  EXPECT_EQ(d.collections[0].inputReportByteLength, 65);
  EXPECT_EQ(d.collections[0].outputReportByteLength, 65);
  ASSERT_EQ(d.collections[0].items.size(), 2u);
  EXPECT_FALSE(d.collections[0].items[0].isButton);
  EXPECT_EQ(d.collections[0].items[0].reportCount, 64);
  EXPECT_EQ(d.collections[0].items[1].kind, ReportKind::kOutput);
}

TEST(ReportDescriptor, NumberedCollectionsAreSeparateWithTheirOwnLengths) {
  const ReportDescriptor d = Parse(test::kKeyboardWithConsumer);
  ASSERT_EQ(d.collections.size(), 2u);
  EXPECT_TRUE(d.numberedInput);
  EXPECT_EQ(d.collections[0].inputReportByteLength, 9);
  EXPECT_EQ(d.collections[0].items[0].reportId, 1);
  EXPECT_EQ(d.collections[1].usagePage, 0x0C);
  EXPECT_EQ(d.collections[1].usage, 0x01);
  EXPECT_EQ(d.collections[1].inputReportByteLength, 3);
  EXPECT_EQ(d.collections[1].items[0].reportId, 2);
  EXPECT_EQ(d.collections[1].items[0].usageMax, 0x3FF);
}

TEST(ReportDescriptor, LongestReportOfAKindSetsTheLength) {
  // Two feature reports in one collection: 2 bytes (id 3) and 7 bytes (id 4).
  const std::vector<std::uint8_t> bytes = {
      0x06, 0x00, 0xFF, 0x09, 0x02, 0xA1, 0x01, 0x75, 0x08,
      0x85, 0x03, 0x95, 0x02, 0x09, 0x10, 0xB1, 0x02,
      0x85, 0x04, 0x95, 0x07, 0x09, 0x11, 0xB1, 0x02, 0xC0};
  const ReportDescriptor d = Parse(bytes);
  ASSERT_EQ(d.collections.size(), 1u);
  EXPECT_EQ(d.collections[0].featureReportByteLength, 8);
  EXPECT_EQ(d.collections[0].inputReportByteLength, 0);
  EXPECT_FALSE(d.numberedInput);  // only feature reports carry ids
}

TEST(ReportDescriptor, UsagesTakeTheirPageFromExtendedItemsOrTheLastUsagePage) {
  const std::vector<std::uint8_t> bytes = {
      0x0B, 0x01, 0x00, 0x00, 0xFF,  // extended usage FF00:0001
      0xA1, 0x01, 0x05, 0x01,
      0x09, 0x30, 0x05, 0x0D,        // usage 0x30, then the page changes before the field
      0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0xC0};
  const ReportDescriptor d = Parse(bytes);
  ASSERT_EQ(d.collections.size(), 1u);
  EXPECT_EQ(d.collections[0].usagePage, 0xFF00);
  EXPECT_EQ(d.collections[0].usage, 0x01);
  EXPECT_EQ(d.collections[0].items[0].usagePage, 0x0D);
}

TEST(ReportDescriptor, LongItemsAndPushPopAreHonoured) {
  const std::vector<std::uint8_t> bytes = {
      0x05, 0x01, 0x09, 0x06, 0xA1, 0x01,
      0xFE, 0x02, 0x10, 0xAA, 0xBB,          // a long item with two data bytes
      0x75, 0x08, 0x95, 0x04, 0xA4,          // push size 8, count 4
      0x75, 0x01, 0x95, 0x01, 0x09, 0x01, 0x81, 0x02,  // one bit
      0xB4, 0x09, 0x02, 0x81, 0x02, 0xC0};   // pop: 4 bytes
  const ReportDescriptor d = Parse(bytes);
  ASSERT_EQ(d.collections.size(), 1u);
  EXPECT_EQ(d.collections[0].inputReportByteLength, 6);  // 33 bits -> 5 bytes, + id byte
  EXPECT_EQ(d.collections[0].items[1].reportCount, 4);
}

TEST(ReportDescriptor, MalformedDescriptorsAreRefusedWithTheirReason) {
  EXPECT_EQ(StatusOf({0x05, 0x01, 0x26, 0xFF}), DescriptorStatus::kTruncatedItem);
  EXPECT_EQ(StatusOf({0xFE, 0x05, 0x10, 0x00}), DescriptorStatus::kTruncatedItem);
  EXPECT_EQ(StatusOf({0xFE}), DescriptorStatus::kTruncatedItem);
  EXPECT_EQ(StatusOf({0xC0}), DescriptorStatus::kUnbalanced);
  EXPECT_EQ(StatusOf({0xA1, 0x01}), DescriptorStatus::kUnbalanced);
  EXPECT_EQ(StatusOf({0xB4}), DescriptorStatus::kUnbalanced);
  EXPECT_EQ(StatusOf({0x85, 0x00}), DescriptorStatus::kBadReportId);
  EXPECT_EQ(StatusOf({0x86, 0x00, 0x01}), DescriptorStatus::kBadReportId);
  EXPECT_EQ(StatusOf({0x97, 0x00, 0x00, 0x10, 0x00}), DescriptorStatus::kFieldTooLarge);
  EXPECT_EQ(StatusOf({0x76, 0x01, 0x01}), DescriptorStatus::kFieldTooLarge);
  // 256-bit fields, 12288 of them: far beyond any report the kernel takes.
  EXPECT_EQ(StatusOf({0xA1, 0x01, 0x76, 0x00, 0x01, 0x96, 0x00, 0x30, 0x81, 0x02, 0xC0}),
            DescriptorStatus::kFieldTooLarge);
  EXPECT_EQ(StatusOf(std::vector<std::uint8_t>(hidraw::kMaxDescriptorBytes + 1, 0)),
            DescriptorStatus::kTooLong);
}

TEST(ReportDescriptor, NestingAndRepetitionStopAtTheirBounds) {
  std::vector<std::uint8_t> deep;
  for (std::size_t i = 0; i <= hidraw::kMaxCollectionDepth; ++i) deep.insert(deep.end(), {0xA1, 0x00});
  EXPECT_EQ(StatusOf(deep), DescriptorStatus::kTooDeep);

  std::vector<std::uint8_t> pushes(hidraw::kMaxGlobalStackDepth + 1, 0xA4);
  EXPECT_EQ(StatusOf(pushes), DescriptorStatus::kTooDeep);

  std::vector<std::uint8_t> usages = {0xA1, 0x01};
  for (std::size_t i = 0; i <= hidraw::kMaxLocalUsages; ++i) usages.insert(usages.end(), {0x09, 0x01});
  EXPECT_EQ(StatusOf(usages), DescriptorStatus::kTooManyItems);

  // More usages than fields: the fields left over get none.
  const std::vector<std::uint8_t> extra = {0xA1, 0x01, 0x75, 0x08, 0x95, 0x02, 0x09, 0x30,
                                           0x09, 0x31, 0x09, 0x32, 0x81, 0x02, 0xC0};
  ReportDescriptor d;
  ASSERT_EQ(ParseReportDescriptor(extra.data(), extra.size(), d), DescriptorStatus::kOk);
  ASSERT_EQ(d.collections[0].items.size(), 2u);
  EXPECT_EQ(d.collections[0].items[1].usageMin, 0x31);
}

TEST(ReportDescriptor, FailureLeavesAnEmptyResultAndEmptyInputIsNoCollection) {
  ReportDescriptor result;
  result.numberedInput = true;
  const std::vector<std::uint8_t> bad = {0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x85, 0x01, 0x81, 0x02};
  EXPECT_EQ(ParseReportDescriptor(bad.data(), bad.size(), result), DescriptorStatus::kUnbalanced);
  EXPECT_TRUE(result.collections.empty());
  EXPECT_FALSE(result.numberedInput);
  EXPECT_EQ(ParseReportDescriptor(nullptr, 0, result), DescriptorStatus::kOk);
  EXPECT_TRUE(result.collections.empty());
}

}  // namespace
}  // namespace vexaro::hid
