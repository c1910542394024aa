// Hexadecimal fields of the descriptor: every digit in both cases, and fields
// that fill their whole width without a terminator.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "package/package.h"

namespace vexaro::package {
namespace {

void Put(DescriptorBytes& d, std::size_t offset, const std::string& text) {
  std::copy(text.begin(), text.end(), d.begin() + static_cast<std::ptrdiff_t>(offset));
}

TEST(HexFields, EveryDigitInBothCases) {
  EXPECT_EQ(ParseHexText("0123456789"), 0x23456789u);
  EXPECT_EQ(ParseHexText("abcdef"), 0xABCDEFu);
  EXPECT_EQ(ParseHexText("ABCDEF"), 0xABCDEFu);
  EXPECT_EQ(ParseHexText("ff"), 0xFFu);
  EXPECT_EQ(ParseHexText("FF"), 0xFFu);
  EXPECT_EQ(ParseHexText("fg"), 0xFu);
}

// Index fields are four characters wide; a full one is followed directly by
// the next field's digits, which must not be read as part of it.
TEST(HexFields, FullWidthIndexFieldsEndAtTheirWidth) {
  namespace f = descriptor_field;
  DescriptorBytes d{};
  Put(d, f::kApVendorId, "00003C9A");
  Put(d, f::kApProductId, "00000A21");
  Put(d, f::kApInterfaceIndex, "1234");
  Put(d, f::kIapVendorId, "ABCD0000");
  Put(d, f::kIapProductId, "00001A21");
  Put(d, f::kIapInterfaceIndex, "0042");
  Put(d, f::kUpdateVersion, "99");
  PackageInfo info;
  DecodeDescriptorInto(d, info);
  EXPECT_EQ(info.ApInterfaceIndex, 0x1234u);
  EXPECT_EQ(info.IapVendorId, 0xABCD0000u);
  EXPECT_EQ(info.IapInterfaceIndex, 0x42u);
  EXPECT_EQ(info.UpdateVersion, "99");
}

}  // namespace
}  // namespace vexaro::package
