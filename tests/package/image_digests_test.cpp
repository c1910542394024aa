// The image digests inspect prints, against the published check values and
// what zlib's crc32 and sha256sum report.
#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "tools/vexaro-pack/image_digests.h"

namespace vexaro::package {
namespace {

std::vector<std::uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

TEST(ImageDigestsTest, Crc32CheckValues) {
  EXPECT_EQ(Crc32({}), 0u);
  EXPECT_EQ(Crc32(Bytes("123456789")), 0xCBF43926u);
  EXPECT_EQ(Crc32(std::vector<std::uint8_t>(1001, 0x42)), 0x42C06E4Au);
}

TEST(ImageDigestsTest, Sha256AcrossBlockAndPaddingBoundaries) {
  EXPECT_EQ(Sha256Hex({}), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Sha256Hex(Bytes("abc")), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  // 56 bytes: the length no longer fits the first block.
  EXPECT_EQ(Sha256Hex(Bytes("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  EXPECT_EQ(Sha256Hex(std::vector<std::uint8_t>(1000000, 'a')),
            "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

}  // namespace
}  // namespace vexaro::package
