#include "tests/reliability/bad_packages.h"

#include <algorithm>

namespace vexaro::reliability {
namespace {

// Where the blocks start, counted back from the end of the file.
constexpr std::size_t kDescriptorFromEnd = 572, kInternalBlockFromEnd = 656, kExternalBlockFromEnd = 740;
constexpr std::size_t kScrambledDescriptorBytes = 568;
constexpr std::size_t kImageLengthAt = 4, kKeyLengthAt = 82, kExternalLengthAt = 4;
constexpr std::size_t kTextFields[] = {40, 168, 296, 424};
constexpr std::size_t kTextWidth = 128;
constexpr std::size_t kHexFields[][2] = {{0, 8}, {8, 8}, {16, 4}, {20, 8}, {28, 8}, {36, 4}};

// Writes plain bytes into a scrambled block: stored = plain ^ key ^ index.
void Put(std::vector<std::uint8_t>& file, std::size_t fromEnd, std::size_t offset,
         const std::vector<std::uint8_t>& plain, const std::array<std::uint8_t, 4>& key) {
  const std::size_t block = file.size() - fromEnd;
  for (std::size_t i = 0; i < plain.size(); ++i) {
    const std::size_t at = offset + i;
    file[block + at] = static_cast<std::uint8_t>(plain[i] ^ key[at % 4] ^ (at % 256));
  }
}

std::vector<std::uint8_t> Word(std::uint32_t v) {
  return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v >> 16),
          static_cast<std::uint8_t>(v >> 24)};
}

std::vector<BadPackage> Truncated(const std::vector<std::uint8_t>& good) {
  std::vector<BadPackage> out;
  // The package is read from the end: a file that keeps only its last bytes
  // loses the images first, then the blocks.
  for (std::size_t keep : {std::size_t{0}, std::size_t{1}, std::size_t{571}, std::size_t{572}, std::size_t{656},
                           std::size_t{739}, std::size_t{740}, std::size_t{741}, good.size() - 1}) {
    keep = std::min(keep, good.size());
    out.push_back({"last " + std::to_string(keep) + " bytes", {good.end() - static_cast<std::ptrdiff_t>(keep), good.end()}});
  }
  // A file cut at its end has no descriptor where one should be.
  for (std::size_t cut : {1, 4, 572}) {
    out.push_back({"cut by " + std::to_string(cut), {good.begin(), good.end() - static_cast<std::ptrdiff_t>(cut)}});
  }
  return out;
}

std::vector<BadPackage> Lengths(const std::vector<std::uint8_t>& good, const std::array<std::uint8_t, 4>& key) {
  std::vector<BadPackage> out;
  const auto size = static_cast<std::uint32_t>(good.size());
  for (std::uint32_t length : {0u, size, 0x04000001u, 0x80000000u, 0xFFFFFFFFu}) {
    BadPackage p{"image length " + std::to_string(length), good};
    Put(p.bytes, kInternalBlockFromEnd, kImageLengthAt, Word(length), key);
    out.push_back(p);
  }
  for (std::uint32_t length : {size, 0x80000000u, 0xFFFFFFFFu}) {
    BadPackage p{"external length " + std::to_string(length), good};
    Put(p.bytes, kExternalBlockFromEnd, kExternalLengthAt, Word(length), key);
    out.push_back(p);
  }
  BadPackage both{"lengths that wrap past 2^32 together", good};
  Put(both.bytes, kInternalBlockFromEnd, kImageLengthAt, Word(0x80000000u), key);
  Put(both.bytes, kExternalBlockFromEnd, kExternalLengthAt, Word(0x80000000u), key);
  out.push_back(both);
  for (std::uint16_t length : {std::uint16_t{65}, std::uint16_t{0xFFFF}}) {
    BadPackage p{"key block length " + std::to_string(length), good};
    Put(p.bytes, kInternalBlockFromEnd, kKeyLengthAt,
        {static_cast<std::uint8_t>(length), static_cast<std::uint8_t>(length >> 8)}, key);
    out.push_back(p);
  }
  return out;
}

std::vector<BadPackage> Fields(const std::vector<std::uint8_t>& good, const std::array<std::uint8_t, 4>& key) {
  std::vector<BadPackage> out;
  BadPackage tag{"bad key tag", good};
  tag.bytes.back() ^= 0x01;
  out.push_back(tag);
  BadPackage texts{"texts without terminator", good};
  for (std::size_t at : kTextFields) Put(texts.bytes, kDescriptorFromEnd, at, std::vector<std::uint8_t>(kTextWidth, 'A'), key);
  out.push_back(texts);
  BadPackage numbers{"numbers filling their fields", good};
  for (const auto& field : kHexFields) {
    Put(numbers.bytes, kDescriptorFromEnd, field[0], std::vector<std::uint8_t>(field[1], 'F'), key);
  }
  out.push_back(numbers);
  // One flipped bit in each part of a package that carries a digest: the
  // images, the blocks, a text and the digest itself.
  const std::size_t trailer = good.size() - kExternalBlockFromEnd;
  for (const std::size_t at : {trailer - 1, trailer - 200, trailer + 5, trailer + 13, trailer + 84 + 20,
                               good.size() - kDescriptorFromEnd + 45}) {
    BadPackage flip{"bit flipped " + std::to_string(good.size() - at) + " bytes before the end", good};
    flip.bytes[at] ^= 0x10;
    out.push_back(flip);
  }
  BadPackage noise{"descriptor of noise", good};
  for (std::size_t i = 0; i < kScrambledDescriptorBytes; ++i) {
    noise.bytes[noise.bytes.size() - kDescriptorFromEnd + i] = static_cast<std::uint8_t>(i * 37 + 11);
  }
  out.push_back(noise);
  return out;
}

}  // namespace

std::vector<BadPackage> BadPackages(const std::vector<std::uint8_t>& good, const std::array<std::uint8_t, 4>& key) {
  std::vector<BadPackage> all = Truncated(good);
  for (auto& p : Lengths(good, key)) all.push_back(std::move(p));
  for (auto& p : Fields(good, key)) all.push_back(std::move(p));
  return all;
}

}  // namespace vexaro::reliability
