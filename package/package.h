// The firmware package appended to the program file: locating it, choosing
// its key, unscrambling the descriptor, the two image blocks and the images,
// and the process-wide PackageInfo the rest of the program reads.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/sys/input_file.h"

namespace vexaro::package {

// Sizes and positions, counted back from the end of the file.
inline constexpr std::size_t kDescriptorSize = 572;
inline constexpr std::size_t kDescriptorScrambledSize = 568;  // KeyTag stays as stored
inline constexpr std::size_t kImageBlockSize = 84;
inline constexpr std::size_t kPackageTrailerSize = kDescriptorSize + 2 * kImageBlockSize;  // 740
inline constexpr std::size_t kCrcKeyCapacity = 64;
inline constexpr std::size_t kTextFieldSize = 128;
// A package image longer than this is damaged: no chip of the keyboard's
// family has a flash near that size, and nothing is allocated for it.
inline constexpr std::uint32_t kMaxImageBytes = 64u << 20;

using PackageKeyBytes = std::array<std::uint8_t, 4>;
using DescriptorBytes = std::array<std::uint8_t, kDescriptorSize>;
using ImageBlockBytes = std::array<std::uint8_t, kImageBlockSize>;

// Offsets and widths of the descriptor fields.
namespace descriptor_field {
inline constexpr std::size_t kApVendorId = 0, kApProductId = 8, kApInterfaceIndex = 16;
inline constexpr std::size_t kIapVendorId = 20, kIapProductId = 28, kIapInterfaceIndex = 36;
inline constexpr std::size_t kIdWidth = 8, kIndexWidth = 4;
inline constexpr std::size_t kUpdateVersion = 40, kWindowTitle = 168, kCompanyName = 296,
                             kProductName = 424;
inline constexpr std::size_t kKeySlot1 = 552, kKeySlot2 = 556, kKeyTag = 568;
}  // namespace descriptor_field

// The digest record: in the external image block's reserved bytes, which
// readers that do not know it never look at. Offsets within the unscrambled
// block; the digest is SHA-256 over the whole package as stored, leaving out
// the 32 stored bytes of the digest itself.
namespace digest_record {
inline constexpr std::size_t kMarkerOffset = 8, kDigestOffset = 12, kDigestSize = 32;
inline constexpr std::array<std::uint8_t, 4> kMarker = {'V', 'X', 'D', '1'};
}  // namespace digest_record

// The demo mark: in the external image block's reserved bytes behind the
// digest record, so that the digest covers it. A package with it carries
// generated firmware for the simulated keyboard and is never installed on a
// real one. Offset within the unscrambled block.
namespace demo_mark {
inline constexpr std::size_t kOffset = 44;
inline constexpr std::array<std::uint8_t, 4> kMarker = {'V', 'X', 'S', 'M'};
}  // namespace demo_mark

// The two constants shared with every package producer: a candidate key is a
// slot XOR kSlotMask, and the key is the candidate for which KeyTag XOR
// candidate equals kSelector.
inline constexpr PackageKeyBytes kSlotMask = {0xA7, 0x3C, 0x5E, 0x91};
inline constexpr PackageKeyBytes kSelector = {0x56, 0x58, 0x50, 0x4B};  // "VXPK"

// stored[i] = plain[i] ^ key[i % 4] ^ (i % 256); the same call unscrambles.
void ScramblePackageBytes(std::span<std::uint8_t> bytes, const PackageKeyBytes& key);

// Hexadecimal digits from the start of text up to the first other character
// (or the end of the view); no prefix, empty gives 0, wraps past 32 bits.
std::uint32_t ParseHexText(std::string_view text);

// Which slot of a descriptor as stored holds the key: 2 is tried first.
struct KeyChoice {
  int slot = 0;  // 0: neither slot fits, the descriptor is invalid
  PackageKeyBytes key{};
};
KeyChoice ChoosePackageKey(std::span<const std::uint8_t, kDescriptorSize> stored);

// Decoded fields of the two image blocks (unscrambled bytes in, numbers out).
struct InternalBlockFields {
  std::uint32_t imageLength = 0;
  std::array<std::uint8_t, 2> digestValue{};
  std::array<std::uint8_t, kCrcKeyCapacity> crcKey{};
  std::uint16_t crcKeyLength = 0;
};
struct ExternalBlockFields {
  std::uint32_t externalStart = 0;
  std::uint32_t externalLength = 0;
};
InternalBlockFields DecodeInternalBlock(std::span<const std::uint8_t, kImageBlockSize> block);
ExternalBlockFields DecodeExternalBlock(std::span<const std::uint8_t, kImageBlockSize> block);

struct PackageInfo {
  std::uint32_t ApVendorId = 0, ApProductId = 0, ApInterfaceIndex = 0;
  std::uint32_t IapVendorId = 0, IapProductId = 0, IapInterfaceIndex = 0;
  std::string UpdateVersion, WindowTitle, CompanyName, ProductName;
  DescriptorBytes PackageDescriptor{};
  ImageBlockBytes InternalImageBlock{};
  ImageBlockBytes ExternalImageBlock{};
  PackageKeyBytes PackageKey{};  // set by a successful ReadPackageDescriptor
};

// The process-wide package record: written once when the main window starts,
// read-only afterwards.
PackageInfo& ThePackageInfo();

// A text field of the descriptor: up to its zero terminator, never past its width.
std::string DescriptorText(std::span<const std::uint8_t, kDescriptorSize> descriptor,
                           std::size_t offset, std::size_t width = kTextFieldSize);

// Fills the identifiers, texts and descriptor of info from an unscrambled descriptor.
void DecodeDescriptorInto(const DescriptorBytes& descriptor, PackageInfo& info);

// The package key chosen by the last successful ReadPackageDescriptor.
const PackageKeyBytes& PackageKey();

// The file the readers open: the running program file unless a test or a
// tool points them elsewhere. An empty path restores the default. The key
// stays what the last successful ReadPackageDescriptor chose. The copy of
// the last file read is dropped, so the next read opens the file again.
void SetPackageFile(std::string path);

// The package file is opened once: the first read takes a copy of the whole
// package (descriptor, blocks and both images) and every later read, the
// update's included, takes its bytes from that copy. A package that carries
// a digest record is checked against it then.
enum class PackageDigest { Absent, Verified, Mismatch };
struct PackageFileState {
  std::string path;  // as opened; empty when the program path is unknown
  sys::FileProblem fileProblem = sys::FileProblem::None;
  std::uint64_t fileSize = 0;
  PackageDigest digest = PackageDigest::Absent;
  bool demo = false;  // the external image block carries the demo mark
  // Why the reads fail (file, descriptor or digest); empty when they work.
  std::string problem;
};
// Reads the package file if no copy is held yet; the state of the copy.
const PackageFileState& LoadPackageFile();

// Everything about the loaded package that can be checked without a
// keyboard: the reads themselves, the image lengths against the file, the
// 64 MiB limit, the key block, the external range and the version text.
// Empty when the package may be installed, otherwise a sentence saying why.
std::string CheckPackageBeforeUpdate();

// True when an unscrambled external image block carries the demo mark.
bool CarriesDemoMark(std::span<const std::uint8_t, kImageBlockSize> externalBlock);

// The refusal of a demo package for a keyboard that is not the simulated
// one, said the same by every front end.
inline constexpr const char* kDemoPackageRefusal =
    "This is a demo package for the simulated keyboard; it is never installed on a real keyboard.";
// Empty when the loaded package may go to the keyboard: any valid package to
// the simulated keyboard, any but a demo package to a real one.
std::string CheckPackageForKeyboard(bool simulatedKeyboard);

// Empty when the keyboard's application firmware reports `version` back in
// full and it has a layout mark (the second character); otherwise why not.
// A package whose version fails this would leave the keyboard refusing every
// later package as one of another layout.
std::string VersionTextProblem(std::string_view version);
// Empty when the layout mark of `version` is a digit, the only kind that
// names a layout; otherwise why it names none (as in "2.07", whose mark "."
// every version of that form shares).
std::string LayoutMarkProblem(std::string_view version);

// The producer's half of the digest record: fills it into the external block
// of a whole package as stored (the layout of BuildPackage), scrambled with key.
bool SealPackage(std::span<std::uint8_t> stored, const PackageKeyBytes& key);

// Reads, checks and unscrambles the descriptor at the end of the package
// file. On success stores the key in ThePackageInfo() and fills out; on
// failure (also a digest that does not match) changes neither.
bool ReadPackageDescriptor(std::span<std::uint8_t, kDescriptorSize> out);

// Reads and unscrambles the internal and external image blocks. Fails (and
// leaves both outputs unwritten) when the file is too short or unreadable, or
// when the internal block's CrcKeyLength exceeds the 64-byte key block.
bool ReadImageBlocks(std::span<std::uint8_t, kImageBlockSize> internalBlock,
                     std::span<std::uint8_t, kImageBlockSize> externalBlock);

// Reads and unscrambles L internal and N external image bytes. Each buffer
// must hold at least its length; bytes past the length (the pad up to whole
// words) are set to 0xFF, the value of erased flash. Fails when a buffer is
// too small or the images would reach before the start of the file.
bool ReadImages(std::uint32_t internalLength, std::uint32_t externalLength,
                std::span<std::uint8_t> internalImage, std::span<std::uint8_t> externalImage);

// Length rounded up to whole 4-byte words, the size of an image buffer.
constexpr std::uint64_t RoundUpToWord(std::uint32_t length) {
  return (static_cast<std::uint64_t>(length) + 3u) & ~std::uint64_t{3};
}

}  // namespace vexaro::package
