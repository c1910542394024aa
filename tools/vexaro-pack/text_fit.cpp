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

std::string Warning(const char* option, const std::string& text, int width, const char* where, int room) {
  return std::string(option) + " \"" + text + "\" needs up to " + std::to_string(width) +
         " pixels; the window has " + std::to_string(room) + " for it " + where +
         ", and ends a longer text with \"...\"";
}

}  // namespace

// Every byte above 0x7F counts as a character of its own: the window shows
// the bytes in the system code page, where a single-byte page (Windows 1252)
// makes each of them one; UTF-8 and the double-byte pages need fewer.
int EstimatedTextWidth(std::string_view text) {
  int width = 0;
  for (const char c : text) width += CharacterWidth(static_cast<unsigned char>(c));
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
