// Capability arrays of the HID parser into the platform's caps: every kind,
// ranges and single usages, and answers that would overrun the arrays.
#include <gtest/gtest.h>

#include "fake_hid_system.h"
#include "platform/windows/hid_win_caps.h"

namespace vexaro::hid::win {
namespace {

using testing::FakeApi;
using testing::FakeInterface;

HIDP_BUTTON_CAPS ButtonRange(USAGE page, UCHAR id, USAGE min, USAGE max) {
  HIDP_BUTTON_CAPS b{};
  b.UsagePage = page;
  b.ReportID = id;
  b.IsRange = TRUE;
  b.Range.UsageMin = min;
  b.Range.UsageMax = max;
  return b;
}

HIDP_VALUE_CAPS Value(USAGE page, UCHAR id, USAGE usage, USHORT bits, USHORT count, USHORT link = 0) {
  HIDP_VALUE_CAPS v{};
  v.UsagePage = page;
  v.ReportID = id;
  v.LinkCollection = link;
  v.NotRange.Usage = usage;
  v.BitSize = bits;
  v.ReportCount = count;
  return v;
}

// A keyboard's vendor collection: 65-byte reports both ways, and a feature
// report with a button range, as the updater's keyboard has.
FakeInterface VendorCollection() {
  FakeInterface fi;
  fi.path = "\\\\?\\hid#vid_3c9a&pid_0a21&mi_01#1&0#{g}";
  fi.caps.Usage = 0x0001;
  fi.caps.UsagePage = 0xFF00;
  fi.caps.InputReportByteLength = 65;
  fi.caps.OutputReportByteLength = 65;
  fi.caps.FeatureReportByteLength = 9;
  fi.caps.NumberInputValueCaps = 1;
  fi.caps.NumberOutputValueCaps = 1;
  fi.caps.NumberFeatureButtonCaps = 1;
  fi.values[0].push_back(Value(0xFF00, 0, 0x0002, 8, 64));
  fi.values[1].push_back(Value(0xFF00, 0, 0x0003, 8, 64, 1));
  fi.buttons[2].push_back(ButtonRange(0x0009, 4, 1, 8));
  return fi;
}

bool ReadFirst(ParsedCaps& parsed) {
  PHIDP_PREPARSED_DATA first = reinterpret_cast<PHIDP_PREPARSED_DATA>(1);
  return ReadParsedCaps(FakeApi(), first, parsed);
}

TEST(WinHidCaps, ReportLengthsUsageAndItemsOfEveryKind) {
  testing::SetFakeInterfaces({VendorCollection()});
  ParsedCaps parsed;
  ASSERT_TRUE(ReadFirst(parsed));
  const Caps caps = ToPlatformCaps(parsed);
  EXPECT_EQ(caps.usage, 0x0001);
  EXPECT_EQ(caps.usagePage, 0xFF00);
  EXPECT_EQ(caps.inputReportByteLength, 65);
  EXPECT_EQ(caps.outputReportByteLength, 65);
  EXPECT_EQ(caps.featureReportByteLength, 9);
  ASSERT_EQ(caps.items.size(), 3u);

  EXPECT_EQ(caps.items[0].kind, ReportKind::kInput);
  EXPECT_FALSE(caps.items[0].isButton);
  EXPECT_EQ(caps.items[0].usageMin, 0x0002);
  EXPECT_EQ(caps.items[0].usageMax, 0x0002);
  EXPECT_EQ(caps.items[0].bitSize, 8);
  EXPECT_EQ(caps.items[0].reportCount, 64);

  EXPECT_EQ(caps.items[1].kind, ReportKind::kOutput);
  EXPECT_EQ(caps.items[1].linkCollection, 1);

  const ItemCaps& button = caps.items[2];
  EXPECT_EQ(button.kind, ReportKind::kFeature);
  EXPECT_TRUE(button.isButton);
  EXPECT_TRUE(button.isRange);
  EXPECT_EQ(button.reportId, 4);
  EXPECT_EQ(button.usagePage, 0x0009);
  EXPECT_EQ(button.usageMin, 1);
  EXPECT_EQ(button.usageMax, 8);
}

TEST(WinHidCaps, ButtonsComeBeforeValuesWithinAKind) {
  FakeInterface fi = VendorCollection();
  fi.caps.NumberInputButtonCaps = 1;
  fi.buttons[0].push_back(ButtonRange(0x0007, 0, 0xE0, 0xE7));
  testing::SetFakeInterfaces({fi});
  ParsedCaps parsed;
  ASSERT_TRUE(ReadFirst(parsed));
  const Caps caps = ToPlatformCaps(parsed);
  ASSERT_EQ(caps.items.size(), 4u);
  EXPECT_TRUE(caps.items[0].isButton);
  EXPECT_EQ(caps.items[0].usageMin, 0xE0);
  EXPECT_FALSE(caps.items[1].isButton);
}

TEST(WinHidCaps, AParserThatFailsOrClaimsMoreThanAskedIsRefused) {
  FakeInterface failing = VendorCollection();
  failing.buttonStatus = HIDP_STATUS_INVALID_PREPARSED_DATA;
  testing::SetFakeInterfaces({failing});
  ParsedCaps parsed;
  EXPECT_FALSE(ReadFirst(parsed));

  FakeInterface overlong = VendorCollection();
  overlong.extraButtonsAnswered = 3;
  testing::SetFakeInterfaces({overlong});
  EXPECT_FALSE(ReadFirst(parsed));
}

TEST(WinHidCaps, FewerEntriesThanAnnouncedKeepOnlyThoseGiven) {
  FakeInterface fi = VendorCollection();
  fi.caps.NumberFeatureButtonCaps = 3;  // the parser gives one
  testing::SetFakeInterfaces({fi});
  ParsedCaps parsed;
  ASSERT_TRUE(ReadFirst(parsed));
  EXPECT_EQ(parsed.buttons[2].size(), 1u);
}

}  // namespace
}  // namespace vexaro::hid::win
