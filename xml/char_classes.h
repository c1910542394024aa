// Character classes shared by the node scanner and the name readers.
#pragma once

#include <array>

namespace vexaro::xml::chars {

inline bool IsSpace(unsigned char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

inline constexpr std::array<bool, 256> kNameDelimiters = [] {
  std::array<bool, 256> table{};
  for (unsigned char c : {' ', '\t', '\n', '\r', '<', '>', '=', '\\', '/', '?', '!', '"', '\'', ';'}) table[c] = true;
  return table;
}();

inline bool IsNameDelimiter(unsigned char c) { return kNameDelimiters[c]; }

}  // namespace vexaro::xml::chars
