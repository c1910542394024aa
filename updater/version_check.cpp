// The layout mark and the part-by-part decimal comparison of version texts.
#include <cstdlib>

#include "updater/controller.h"

namespace vexaro::updater {
namespace {

// The leading number of a part as the C library reads it (optional blanks
// and sign, then digits; 0 without digits), clamped to 32 bits so that a long
// run of digits cannot overflow.
long long PartNumber(const std::string& part) {
  const long long value = std::strtoll(part.c_str(), nullptr, 10);
  constexpr long long kLimit = 0x7FFFFFFF;
  if (value > kLimit) return kLimit;
  if (value < -kLimit) return -kLimit;
  return value;
}

// Removes the first part and its "." from text and returns the part.
std::string TakePart(std::string& text) {
  const std::size_t dot = text.find('.');
  std::string part = text.substr(0, dot);
  text.erase(0, dot == std::string::npos ? text.size() : dot + 1);
  return part;
}

}  // namespace

std::string LayoutMark(const std::string& version) {
  return version.size() > 1 ? version.substr(1, 1) : std::string();
}

bool VersionAllowsUpdate(std::string current, std::string update) {
  while (!current.empty() && !update.empty()) {
    const long long mine = PartNumber(TakePart(current));
    const long long theirs = PartNumber(TakePart(update));
    if (mine < theirs) return true;
    if (mine > theirs) return false;
    if (current.empty() && update.empty()) return true;
  }
  return false;
}

}  // namespace vexaro::updater
