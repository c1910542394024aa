// Readers of names, words and attributes inside tags, and name matching.
#include <algorithm>

#include "xml/char_classes.h"
#include "xml/parse_node.h"

namespace vexaro::xml {
namespace {

using chars::IsNameDelimiter;
using chars::IsSpace;

// A name or word at pos: up to the first delimiter, or the delimiter alone
// when it stands first.
std::string_view TokenAt(std::string_view text, std::size_t pos, const sys::LeadByteTable* leadBytes = nullptr) {
  if (leadBytes == nullptr && pos < text.size()) {
    std::size_t end = pos;
    while (end < text.size() && text[end] != '\0' && !IsNameDelimiter(static_cast<unsigned char>(text[end]))) ++end;
    if (end == pos && text[pos] != '\0') end = pos + 1;
    return text.substr(pos, end - pos);
  }
  const ScanText scan(text, leadBytes);
  if (scan.At(pos) == 0) return {};
  std::size_t end = pos;
  while (scan.At(end) != 0 && !IsNameDelimiter(scan.At(end))) end += scan.Step(end);
  if (end == pos) end = pos + scan.Step(pos);
  return text.substr(pos, std::min(end, text.size()) - pos);
}

}  // namespace

bool ReadWord(std::string_view text, std::size_t& pos, std::string_view& word,
              const sys::LeadByteTable* leadBytes) {
  while (pos < text.size() && IsSpace(static_cast<unsigned char>(text[pos]))) ++pos;
  if (pos >= text.size() || text[pos] == '\0') return false;
  word = TokenAt(text, pos, leadBytes);
  pos += word.size();
  return true;
}

bool IsPlainName(std::string_view name) {
  for (char c : name) {
    if (c == '\0' || IsNameDelimiter(static_cast<unsigned char>(c))) return false;
  }
  return !name.empty();
}

bool NameMatches(std::string_view name, std::string_view wanted, std::uint32_t flags) {
  if (name.size() > wanted.size()) return false;
  bool foldCase = (flags & kFlagIgnoreCase) != 0;
  for (std::size_t k = 0; k < name.size(); ++k) {
    auto a = static_cast<unsigned char>(name[k]);
    auto b = static_cast<unsigned char>(wanted[k]);
    if (a == b) {
      if (a >= 0x80) foldCase = false;  // bytes after a non-ASCII one compare exactly
      continue;
    }
    if (!foldCase) return false;
    auto lower = [](unsigned char x) { return x >= 'A' && x <= 'Z' ? x + ('a' - 'A') : x; };
    if (lower(a) != lower(b)) return false;
  }
  if (wanted.size() == name.size()) return true;
  char next = wanted[name.size()];
  return next == ' ' || next == '=' || next == '/' || next == '[' || next == ']';
}

std::string_view TagNameAt(std::string_view text, std::size_t pos, const sys::LeadByteTable* leadBytes) {
  while (pos < text.size() && IsSpace(static_cast<unsigned char>(text[pos]))) ++pos;
  return TokenAt(text, pos, leadBytes);
}

bool FindAttribute(std::string_view tag, std::size_t from, std::string_view wanted,
                   std::uint32_t flags, std::string_view& value, const sys::LeadByteTable* leadBytes) {
  const ScanText scan(tag, leadBytes);
  std::size_t pos = from;
  auto at = [&](std::size_t k) { return scan.At(k); };
  auto skipSpace = [&] {
    while (IsSpace(at(pos))) ++pos;
  };
  auto next = [&] { pos = std::min(pos + scan.Step(pos), tag.size()); };
  auto nameToken = [&] {
    std::size_t start = pos;
    next();
    while (at(pos) != 0 && at(pos) != '=' && !IsSpace(at(pos)) && at(pos) != '>' && at(pos) != '/' &&
           at(pos) != '?') {
      next();
    }
    return tag.substr(start, pos - start);
  };
  skipSpace();
  if (at(pos) == 0) return false;
  nameToken();  // the tag name itself
  bool found = false;
  bool valueAnnounced = false;
  std::string_view match;
  for (;;) {
    skipSpace();
    const unsigned char c = at(pos);
    if (c == 0) break;
    if (c == '"' || c == '\'') {
      std::size_t start = ++pos;
      while (at(pos) != 0 && at(pos) != c) next();
      std::string_view quoted = tag.substr(start, pos - start);
      if (at(pos) == c) ++pos;
      if (valueAnnounced && found) return value = quoted, true;
      valueAnnounced = false;
    } else if (valueAnnounced) {
      std::size_t start = pos;
      while (at(pos) != 0 && !IsSpace(at(pos)) && at(pos) != '>') next();
      if (found) return value = tag.substr(start, pos - start), true;
      valueAnnounced = false;
    } else if (c == '>' || c == '/' || c == '?') {
      break;
    } else if (c == '=') {
      ++pos;
      valueAnnounced = true;
    } else {
      if (found) break;  // the matching name had no value
      std::string_view name = nameToken();
      if (NameMatches(name, wanted, flags)) found = true, match = name;
    }
  }
  if (found) value = match;
  return found;
}

}  // namespace vexaro::xml
