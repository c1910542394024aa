#include <gtest/gtest.h>

#include "tests/package/package_fixture.h"

namespace vexaro::package {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

class PackageReader : public ::testing::Test {
 protected:
  void TearDown() override { SetPackageFile(""); }

  // A program part of `programSize` bytes followed by the package of contents.
  std::string Write(const PackageContents& contents, std::size_t programSize = 1000) {
    std::vector<std::uint8_t> file(programSize, 0xCC);
    auto package = BuildPackage(contents);
    file.insert(file.end(), package.begin(), package.end());
    std::string path = dir_.File("program.bin");
    WriteBytes(path, file);
    SetPackageFile(path);
    return path;
  }

  TempDir dir_;
};

TEST_F(PackageReader, RoundTripsRandomPackagesThroughEverySlot) {
  std::mt19937 random(20261207);
  for (int round = 0; round < 40; ++round) {
    PackageContents contents = test::SampleContents();
    contents.internalImage = test::RandomBytes(random, 1 + random() % 3000);
    contents.externalImage = round % 3 == 0 ? std::vector<std::uint8_t>{}
                                        : test::RandomBytes(random, 1 + random() % 500);
    contents.externalStart = static_cast<std::uint32_t>(random() & 0xFFFFF);
    contents.crcKey = test::RandomBytes(random, random() % 65);
    for (auto& b : contents.key) b = static_cast<std::uint8_t>(random());
    contents.slot = round % 2 ? KeySlot::One : KeySlot::Two;
    contents.fillerSeed = static_cast<std::uint32_t>(random());
    contents.apInterfaceIndex = static_cast<std::uint32_t>(random() % 0x1000);
    contents.updateVersion = std::string(random() % 128, 'v');
    ASSERT_EQ(CheckPackageContents(contents), "");
    Write(contents, random() % 5000);

    DescriptorBytes d{};
    ASSERT_TRUE(ReadPackageDescriptor(d)) << "round " << round;
    EXPECT_EQ(PackageKey(), contents.key);
    // The process-wide record carries the same key as the readers use.
    EXPECT_EQ(ThePackageInfo().PackageKey, contents.key);
    PackageInfo info;
    DecodeDescriptorInto(d, info);
    EXPECT_EQ(info.ApInterfaceIndex, contents.apInterfaceIndex);
    EXPECT_EQ(info.IapProductId, 0x1A21u);
    EXPECT_EQ(info.UpdateVersion, contents.updateVersion);

    ImageBlockBytes ib{}, eb{};
    ASSERT_TRUE(ReadImageBlocks(ib, eb));
    InternalBlockFields in = DecodeInternalBlock(ib);
    ExternalBlockFields ex = DecodeExternalBlock(eb);
    ASSERT_EQ(in.imageLength, contents.internalImage.size());
    ASSERT_EQ(ex.externalLength, contents.externalImage.size());
    EXPECT_EQ(in.crcKeyLength, contents.crcKey.size());
    EXPECT_TRUE(std::equal(contents.crcKey.begin(), contents.crcKey.end(), in.crcKey.begin()));
    EXPECT_EQ(in.digestValue, contents.digestValue);

    std::vector<std::uint8_t> internal(RoundUpToWord(in.imageLength));
    std::vector<std::uint8_t> external(RoundUpToWord(ex.externalLength));
    ASSERT_TRUE(ReadImages(in.imageLength, ex.externalLength, internal, external));
    EXPECT_TRUE(std::equal(contents.internalImage.begin(), contents.internalImage.end(), internal.begin()));
    EXPECT_TRUE(std::equal(contents.externalImage.begin(), contents.externalImage.end(), external.begin()));
  }
}

TEST_F(PackageReader, EachSlotAloneIsFoundAndReported) {
  for (auto slot : {KeySlot::One, KeySlot::Two}) {
    PackageContents contents = test::SampleContents();
    contents.slot = slot;
    auto bytes = BuildPackage(contents);
    DescriptorBytes stored{};
    std::copy(bytes.end() - kDescriptorSize, bytes.end(), stored.begin());
    KeyChoice choice = ChoosePackageKey(stored);
    EXPECT_EQ(choice.slot, static_cast<int>(slot));
    EXPECT_EQ(choice.key, contents.key);
  }
}

TEST_F(PackageReader, TagFittingBothSlotsSelectsSlotTwo) {
  PackageContents contents = test::SampleContents();
  contents.slot = KeySlot::Both;
  auto bytes = BuildPackage(contents);
  DescriptorBytes stored{};
  std::copy(bytes.end() - kDescriptorSize, bytes.end(), stored.begin());
  EXPECT_EQ(ChoosePackageKey(stored).slot, 2);
  // With slot 2 spoiled the same tag falls back to slot 1.
  stored[descriptor_field::kKeySlot2] ^= 0xFF;
  KeyChoice choice = ChoosePackageKey(stored);
  EXPECT_EQ(choice.slot, 1);
  EXPECT_EQ(choice.key, contents.key);
}

TEST_F(PackageReader, TagFittingNeitherSlotLeavesKeyAndOutputUntouched) {
  PackageContents good = test::SampleContents();
  Write(good);
  DescriptorBytes d{};
  ASSERT_TRUE(ReadPackageDescriptor(d));
  ASSERT_EQ(PackageKey(), good.key);

  // Another file whose tag fits neither slot: key and output must not change.
  auto bytes = BuildPackage(good);
  bytes[bytes.size() - 1] ^= 0x01;  // last tag byte
  std::string path = dir_.File("broken.bin");
  WriteBytes(path, bytes);
  SetPackageFile(path);
  DescriptorBytes out;
  out.fill(0x77);
  EXPECT_FALSE(ReadPackageDescriptor(out));
  EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](std::uint8_t b) { return b == 0x77; }));
  EXPECT_EQ(PackageKey(), good.key);
  EXPECT_EQ(ThePackageInfo().PackageKey, good.key);
}

TEST_F(PackageReader, KeepsLastFourDescriptorBytesAsStoredAndUnscramblesTheRest) {
  PackageContents contents = test::SampleContents();
  std::string path = Write(contents);
  auto file = ReadBytes(path);
  DescriptorBytes d{};
  ASSERT_TRUE(ReadPackageDescriptor(d));
  EXPECT_TRUE(std::equal(d.begin() + 568, d.end(), file.end() - 4));
  EXPECT_EQ(DescriptorText(d, descriptor_field::kUpdateVersion), "2U.1.05");
  EXPECT_EQ(DescriptorText(d, descriptor_field::kApVendorId, 8), "3C9A");
  // Reserved bytes 560-567 were written as zeros and come back as zeros.
  EXPECT_TRUE(std::all_of(d.begin() + 560, d.begin() + 568, [](std::uint8_t b) { return b == 0; }));
}

TEST_F(PackageReader, ScramblingIndexRestartsForEveryBlock) {
  PackageContents contents = test::SampleContents();
  contents.internalImage = std::vector<std::uint8_t>(300, 0x00);
  contents.externalImage = std::vector<std::uint8_t>(7, 0x00);
  std::string path = Write(contents, 0);
  auto file = ReadBytes(path);
  // External image at offset 0, internal right behind it: both start with
  // key byte 0 combined with index 0.
  EXPECT_EQ(file[0], contents.key[0]);
  EXPECT_EQ(file[7], contents.key[0]);
  EXPECT_EQ(file[7 + 1], contents.key[1] ^ 1);
  EXPECT_EQ(file[7 + 256], contents.key[0]);  // index wraps at 256, key at 4
  EXPECT_EQ(file[7 + 257], contents.key[1] ^ 1);
}

TEST_F(PackageReader, NoExternalImageReadsNothingForIt) {
  PackageContents contents = test::SampleContents();
  Write(contents, 0);  // nothing in front of the internal image at all
  DescriptorBytes d{};
  ASSERT_TRUE(ReadPackageDescriptor(d));
  std::vector<std::uint8_t> internal(8), external;  // no external buffer at all
  EXPECT_TRUE(ReadImages(5, 0, internal, external));
}

TEST_F(PackageReader, OddLengthFillsTheRoundedBufferWithErasedBytes) {
  PackageContents contents = test::SampleContents();  // L = 5
  Write(contents);
  DescriptorBytes d{};
  ASSERT_TRUE(ReadPackageDescriptor(d));
  EXPECT_EQ(RoundUpToWord(5), 8u);
  EXPECT_EQ(RoundUpToWord(8), 8u);
  EXPECT_EQ(RoundUpToWord(0xFFFFFFFFu), 0x100000000u);
  std::vector<std::uint8_t> internal(8, 0x00), none;
  ASSERT_TRUE(ReadImages(5, 0, internal, none));
  EXPECT_EQ(internal, (std::vector<std::uint8_t>{0x10, 0x20, 0x30, 0x40, 0x50, 0xFF, 0xFF, 0xFF}));
  std::vector<std::uint8_t> small(4);
  EXPECT_FALSE(ReadImages(5, 0, small, none));
}

TEST_F(PackageReader, TruncatedAndCorruptFilesFailWithoutReadingOutOfBounds) {
  PackageContents contents = test::SampleContents();
  contents.externalImage = {1, 2, 3};
  contents.digestRecord = false;  // without one, a cut package still shows its descriptor
  auto package = BuildPackage(contents);
  DescriptorBytes d{};
  ImageBlockBytes ib{}, eb{};

  SetPackageFile(dir_.File("missing.bin"));
  EXPECT_FALSE(ReadPackageDescriptor(d));
  EXPECT_FALSE(ReadImageBlocks(ib, eb));

  std::string path = dir_.File("short.bin");
  WriteBytes(path, std::vector<std::uint8_t>(package.end() - 571, package.end()));
  SetPackageFile(path);
  EXPECT_FALSE(ReadPackageDescriptor(d));

  // Descriptor present, image blocks cut short.
  WriteBytes(path, std::vector<std::uint8_t>(package.end() - 700, package.end()));
  SetPackageFile(path);
  ASSERT_TRUE(ReadPackageDescriptor(d));
  EXPECT_FALSE(ReadImageBlocks(ib, eb));

  // Whole trailer but the images cut short: the lengths reach before the file.
  WriteBytes(path, std::vector<std::uint8_t>(package.end() - 742, package.end()));
  SetPackageFile(path);
  ASSERT_TRUE(ReadPackageDescriptor(d));
  ASSERT_TRUE(ReadImageBlocks(ib, eb));
  std::vector<std::uint8_t> internal(8), external(4);
  EXPECT_FALSE(ReadImages(5, 3, internal, external));
  EXPECT_FALSE(ReadImages(0xFFFFFFF0u, 0, internal, external));  // buffer too small, nothing allocated
}

TEST_F(PackageReader, KeyBlockLengthOver64IsABrokenPackage) {
  PackageContents contents = test::SampleContents();
  contents.digestRecord = false;
  auto package = BuildPackage(contents);
  // Internal block sits 656 bytes before the end; CrcKeyLength at its byte 82.
  std::size_t at = package.size() - 656 + 82;
  std::uint8_t keyByte = contents.key[82 % 4];
  std::uint8_t scramble = static_cast<std::uint8_t>(keyByte ^ 82);
  package[at] = static_cast<std::uint8_t>(65 ^ scramble);
  std::string path = dir_.File("longkey.bin");
  WriteBytes(path, package);
  SetPackageFile(path);
  DescriptorBytes d{};
  ImageBlockBytes ib{}, eb{};
  ib.fill(0x33);
  ASSERT_TRUE(ReadPackageDescriptor(d));
  EXPECT_FALSE(ReadImageBlocks(ib, eb));
  EXPECT_EQ(ib[0], 0x33);
  package[at] = static_cast<std::uint8_t>(64 ^ scramble);
  WriteBytes(path, package);
  SetPackageFile(path);  // the reader holds a copy of the file it read first
  EXPECT_TRUE(ReadImageBlocks(ib, eb));
  EXPECT_EQ(DecodeInternalBlock(ib).crcKeyLength, 64);
}

TEST(ParseHexText, ReadsDigitsUntilTheFirstOtherCharacter) {
  EXPECT_EQ(ParseHexText("04d9"), 0x04D9u);
  EXPECT_EQ(ParseHexText("04D9"), ParseHexText("04d9"));
  EXPECT_EQ(ParseHexText("ABcdEF01"), 0xABCDEF01u);
  EXPECT_EQ(ParseHexText("12G4"), 0x12u);
  EXPECT_EQ(ParseHexText(""), 0u);
  EXPECT_EQ(ParseHexText(std::string_view("\0" "12", 3)), 0u);
  EXPECT_EQ(ParseHexText("0x10"), 0u);  // no prefix: the 'x' ends it
  EXPECT_EQ(ParseHexText(" 1"), 0u);
  EXPECT_EQ(ParseHexText("123456789"), 0x23456789u);  // shifts past 32 bits
}

TEST(ParseHexText, StopsAtTheEndOfAnUnterminatedField) {
  DescriptorBytes d{};
  std::string eight = "1234ABCD";
  std::copy(eight.begin(), eight.end(), d.begin());
  std::string next = "FFFF";
  std::copy(next.begin(), next.end(), d.begin() + 8);
  PackageInfo info;
  DecodeDescriptorInto(d, info);
  EXPECT_EQ(info.ApVendorId, 0x1234ABCDu);
  EXPECT_EQ(info.ApProductId, 0xFFFFu);
}

}  // namespace
}  // namespace vexaro::package
