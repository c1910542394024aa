#include "package/package.h"

namespace vexaro::package {

std::uint32_t ParseHexText(std::string_view text) {
  std::uint32_t value = 0;
  for (char c : text) {
    std::uint32_t digit;
    if (c >= '0' && c <= '9') {
      digit = static_cast<std::uint32_t>(c - '0');
    } else if (c >= 'A' && c <= 'F') {
      digit = static_cast<std::uint32_t>(c - 'A' + 10);
    } else if (c >= 'a' && c <= 'f') {
      digit = static_cast<std::uint32_t>(c - 'a' + 10);
    } else {
      break;
    }
    value = (value << 4) | digit;
  }
  return value;
}

}  // namespace vexaro::package
