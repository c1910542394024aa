#include "tools/vexaro-pack/text_fit.h"

#include <algorithm>
#include <cstring>

#include "tools/skin-gen/skin_layout.h"

namespace vexaro::package {
namespace {

// Pixels per character class at the window's text size, rounded up.
constexpr int kBlankWidth = 5;
constexpr int kPointWidth = 6;    // . , : ; ' ! |
constexpr int kNarrowWidth = 7;   // i j l I J f t r ( ) [ ] / -
constexpr int kRegularWidth = 10; // digits and the other lower-case letters
constexpr int kCapitalWidth = 12; // the other capitals and punctuation
constexpr int kWideWidth = 15;    // M W m w @ % & and whatever is not ASCII

int CharacterWidth(unsigned char c) {
  if (c == ' ') return kBlankWidth;
  if (c >= 0x80) return kWideWidth;
  if (std::strchr(".,:;'!|", c) != nullptr) return kPointWidth;
  if (std::strchr("ijlIJftr()[]/-", c) != nullptr) return kNarrowWidth;
  if (std::strchr("MWmw@%&", c) != nullptr) return kWideWidth;
  if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z')) return kRegularWidth;
  return kCapitalWidth;
}

// Bytes of the UTF-8 sequence that starts at text[at], or 1 when none does.
std::size_t SequenceLength(std::string_view text, std::size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  const std::size_t length = lead >= 0xF0 && lead < 0xF5   ? 4
                             : lead >= 0xE0 && lead < 0xF0 ? 3
                             : lead >= 0xC2 && lead < 0xE0 ? 2
                                                           : 1;
  if (length == 1 || at + length > text.size()) return 1;
  for (std::size_t i = 1; i < length; ++i) {
    if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80) return 1;
  }
  return length;
}

std::string Warning(const char* option, const std::string& text, int width, const char* where, int room) {
  return std::string(option) + " \"" + text + "\" needs up to " + std::to_string(width) +
         " pixels; the window has " + std::to_string(room) + " for it " + where +
         ", and ends a longer text with \"...\"";
}

}  // namespace

int EstimatedTextWidth(std::string_view text) {
  int width = 0;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t length = SequenceLength(text, at);
    width += CharacterWidth(static_cast<unsigned char>(text[at]));
    at += length;
  }
  return width;
}

// The version appears twice: as the package's, and after the update as the
// keyboard's own, in the narrower box.
std::vector<std::string> TextFitWarnings(const PackageContents& contents) {
  std::vector<std::string> warnings;
  const int product = EstimatedTextWidth(contents.productName);
  if (product > skin::kProductNameText.Width()) {
    warnings.push_back(Warning("--product", contents.productName, product, "as the product name",
                               skin::kProductNameText.Width()));
  }
  const int version = EstimatedTextWidth(contents.updateVersion);
  const int versionRoom = std::min(skin::kUpdateVersionText.Width(), skin::kCurrentVersionText.Width());
  if (version > versionRoom) {
    warnings.push_back(Warning("--version", contents.updateVersion, version,
                               "as the keyboard's version after the update", versionRoom));
  }
  return warnings;
}

}  // namespace vexaro::package
