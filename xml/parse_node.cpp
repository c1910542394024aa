// The node scanner: a byte-level state machine, with quick loops for the
// common nodes of single-byte text. Multibyte characters of the system code
// page are stepped over as a whole so their trail bytes are never read as
// markup.
#include "xml/parse_node.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "xml/char_classes.h"

namespace vexaro::xml {
namespace {

using chars::IsNameDelimiter;
using chars::IsSpace;

// Scan flags of ParseNode.
enum : unsigned {
  kAfterLt = 0x01,
  kAfterBang = 0x02,
  kAfterBangDash = 0x04,
  kAfterBangBracket = 0x08,
  kInWhitespace = 0x10,
  kInDoctype = 0x20,
  kInSingleQuote = 0x40,
  kInDoubleQuote = 0x80,
  kAfterEquals = 0x100,
  kOpeningStates = kAfterLt | kAfterBang | kAfterBangDash | kAfterBangBracket,
};

bool StartsTagName(unsigned char c) {
  return c > 0x60 || (c >= 'A' && c <= 'Z') || c == '_' || c == ':';
}

const char* UnterminatedLabel(int type, unsigned flags) {
  if ((flags & kInDoctype) != 0 || type == kNodeDoctype) return "Doctype";
  switch (type) {
    case kNodeElement: return "Element tag";
    case kNodeEndTag: return "Element end tag";
    case kNodeCdata: return "CDATA Section";
    case kNodeProcessingInstruction: return "Processing instruction";
    case kNodeComment: return "Comment";
    default: return "tag";
  }
}

// The first `wanted` byte or NUL at or after i (n when none), through memchr,
// which reads long runs many bytes at a time.
std::size_t SkipTo(const char* p, std::size_t i, std::size_t n, char wanted) {
  if (i >= n) return n;
  const void* hit = std::memchr(p + i, wanted, n - i);
  const std::size_t end = hit != nullptr ? static_cast<std::size_t>(static_cast<const char*>(hit) - p) : n;
  const void* nul = std::memchr(p + i, '\0', end - i);
  return nul != nullptr ? static_cast<std::size_t>(static_cast<const char*>(nul) - p) : end;
}

// Character data runs to the next '<', '>' or NUL. Searched in blocks, so
// that a text of many short nodes is not searched to its end for each one.
std::size_t SkipText(const char* p, std::size_t i, std::size_t n) {
  constexpr std::size_t kBlock = 256;
  for (; i < n; i += kBlock) {
    const std::size_t blockEnd = std::min(n, i + kBlock);
    const std::size_t lt = SkipTo(p, i, blockEnd, '<');
    const std::size_t end = SkipTo(p, i, lt, '>');
    if (end < blockEnd) return end;
  }
  return n;
}

// The end of character data from i: most texts between tags are a few bytes,
// read here one at a time; longer ones go to the block search.
std::size_t TextEnd(const char* p, std::size_t i, std::size_t n) {
  constexpr std::size_t kShortText = 32;
  for (const std::size_t shortEnd = std::min(n, i + kShortText); i < shortEnd; ++i) {
    const char c = p[i];
    if (c == '<' || c == '>' || c == '\0') return i;
  }
  return SkipText(p, i, n);
}

// State of one ParseNode call.
struct Scanner {
  const ScanText& scan;
  NodeDescriptor& node;
  unsigned flags = 0;
  int type = kNodeError;
  std::string_view marker;  // empty: the node's kind is still being decided
  std::size_t nameFrom = 0;
  bool namePending = false;
  unsigned char last = 0;  // last two characters in a start tag; 0 = none
  unsigned char beforeLast = 0;

  // Each bad state gives the node its own message; a DOCTYPE subset can go
  // wrong more than once, and the node then reports its latest fault.
  void Bad(const char* what) {
    type = kNodeError;
    marker = ">";
    flags &= ~static_cast<unsigned>(kOpeningStates);
    node.errorWhat = what;
  }
  void Start(int nodeType, std::string_view endMarker) {
    type = nodeType;
    marker = endMarker;
    flags &= ~static_cast<unsigned>(kOpeningStates);
  }

  // Handles c while an end marker is expected. Returns true when the node
  // ends; `end` is then the offset after it.
  bool Marked(std::size_t i, unsigned char c, std::size_t& end);
  // Handles c while the node's kind is being decided.
  bool Deciding(std::size_t i, unsigned char c, std::size_t& end);
  void TrackStartTagQuotes(unsigned char c);
  // In single-byte text: moves i past the bytes that cannot change the state.
  std::size_t FastForward(std::size_t i) const;
};

std::size_t Scanner::FastForward(std::size_t i) const {
  const char* p = scan.text.data();
  const std::size_t n = scan.text.size();
  auto skipWhile = [&](auto keep) {
    while (i < n && keep(static_cast<unsigned char>(p[i]))) ++i;
    return i;
  };
  if (namePending) {
    return skipWhile([](unsigned char c) { return c != 0 && !IsSpace(c) && c != '/' && c != '>'; });
  }
  if (marker.empty()) {
    if ((flags & kInWhitespace) != 0) return skipWhile([](unsigned char c) { return IsSpace(c); });
    return i;
  }
  if ((flags & kInDoctype) != 0) return i;
  switch (type) {
    case kNodeText:
      return SkipText(p, i, n);
    case kNodeError:
      return skipWhile([](unsigned char c) { return c != 0 && c != '<' && c != '>'; });
    case kNodeElement:
      if ((flags & kInDoubleQuote) != 0) return skipWhile([](unsigned char c) { return c != 0 && c != '"'; });
      if ((flags & kInSingleQuote) != 0) return skipWhile([](unsigned char c) { return c != 0 && c != '\''; });
      return i;
    case kNodeDoctype:
      return i;
    default:  // end tags, comments, CDATA sections, processing instructions
      return SkipTo(p, i, n, '>');
  }
}

void Scanner::TrackStartTagQuotes(unsigned char c) {
  if ((flags & kInSingleQuote) != 0) {
    if (c == '\'') flags &= ~static_cast<unsigned>(kInSingleQuote);
  } else if ((flags & kInDoubleQuote) != 0) {
    if (c == '"') flags &= ~static_cast<unsigned>(kInDoubleQuote);
  } else if ((flags & kAfterEquals) != 0) {
    if (c == '"') {
      flags = (flags & ~static_cast<unsigned>(kAfterEquals)) | kInDoubleQuote;
    } else if (c == '\'') {
      flags = (flags & ~static_cast<unsigned>(kAfterEquals)) | kInSingleQuote;
    } else if (!IsSpace(c)) {
      flags &= ~static_cast<unsigned>(kAfterEquals);  // an unquoted value begins
    }
  } else if (c == '=' && last != '=') {
    flags |= kAfterEquals;
  }
  beforeLast = last;
  last = c;
}

bool Scanner::Marked(std::size_t i, unsigned char c, std::size_t& end) {
  if (c == '>' && (flags & (kInSingleQuote | kInDoubleQuote)) == 0) {
    bool complete = true;
    if (type == kNodeText) {
      complete = true;  // a '>' in character data ends the text node after it
    } else if (marker.size() > 1) {
      std::size_t from = i + 1 - marker.size();
      complete = i + 1 >= marker.size() && scan.text.substr(from, marker.size()) == marker;
    }
    if (!complete) return false;
    if (type == kNodeElement && last == '/' &&
        (beforeLast == 0 || IsSpace(beforeLast) || beforeLast == '\'' || beforeLast == '"')) {
      node.flags |= kNodeEmptyElement;
    }
    if ((flags & kInDoctype) != 0) {  // a declaration of the internal subset ended
      marker = {};
      flags = kInDoctype;
      return false;
    }
    end = i + 1;
    return true;
  }
  if (c == '<' && (type == kNodeText || type == kNodeError)) {
    end = i;
    return true;
  }
  if (type == kNodeElement) {
    TrackStartTagQuotes(c);
  } else if ((flags & kInDoctype) != 0 || type == kNodeDoctype) {
    if (c == '"' && (flags & kInSingleQuote) == 0) flags ^= kInDoubleQuote;
    if (c == '\'' && (flags & kInDoubleQuote) == 0) flags ^= kInSingleQuote;
  }
  return false;
}

bool Scanner::Deciding(std::size_t i, unsigned char c, std::size_t& end) {
  if (i == static_cast<std::size_t>(node.start)) {
    if (c == '<') {
      flags |= kAfterLt;
    } else if (IsSpace(c)) {
      type = kNodeWhitespace;
      flags |= kInWhitespace;
    } else {
      Start(kNodeText, "<");
      if (c == '>') return end = i + 1, true;
    }
    return false;
  }
  if ((flags & kInWhitespace) != 0) {
    if (c == '<') return end = i, true;
    if (!IsSpace(c)) {
      flags &= ~static_cast<unsigned>(kInWhitespace);
      Start(kNodeText, "<");
      if (c == '>') return end = i + 1, true;
    }
    return false;
  }
  const bool inDoctype = (flags & kInDoctype) != 0;
  if ((flags & kAfterBangBracket) != 0) {
    if (c == 'C') Start(kNodeCdata, "]]>");
    else Bad("tag");
  } else if ((flags & kAfterBangDash) != 0) {
    if (c == '-') Start(kNodeComment, "-->");
    else Bad("comment tag");
  } else if ((flags & kAfterBang) != 0) {
    if (c == '-') {
      flags |= kAfterBangDash;
    } else if (c == '[' && !inDoctype) {
      flags |= kAfterBangBracket;
    } else if (c == 'D' && !inDoctype) {
      flags = kInDoctype;
    } else if (c == 'E' || c == 'A' || c == 'N') {
      Start(kNodeDoctype, ">");
    } else {
      Bad("! tag");
    }
  } else if ((flags & kAfterLt) != 0) {
    if (StartsTagName(c)) {
      Start(kNodeElement, ">");
      namePending = true, nameFrom = i;
    } else if (c == '/') {
      Start(kNodeEndTag, ">");
      namePending = true, nameFrom = i + 1;
    } else if (c == '!') {
      flags |= kAfterBang;
    } else if (c == '?') {
      Start(kNodeProcessingInstruction, "?>");
      namePending = true, nameFrom = i + 1;
    } else {
      Bad("tag name character");
    }
  } else if (inDoctype) {
    if (c == '<') {
      flags |= kAfterLt;
    } else if (c == '>') {
      type = kNodeDoctype;
      return end = i + 1, true;
    }
  }
  return false;
}

// Bytes that stop the quick loops: the end of a tag name, and the bytes that
// matter in a start tag after its name.
constexpr std::array<bool, 256> kNameStops = [] {
  std::array<bool, 256> table{};
  for (unsigned char c : {'\0', ' ', '\t', '\n', '\r', '/', '>'}) table[c] = true;
  return table;
}();
constexpr std::array<bool, 256> kTagStops = [] {
  std::array<bool, 256> table{};
  for (unsigned char c : {'\0', '>', '='}) table[c] = true;
  return table;
}();

// A start tag at pos ("<" and a name start): the same rules as the state
// machine's quote tracking, read from the bytes themselves. The byte before
// any position is what the state machine calls the last character; the
// first byte after the name is never '=' (the name runs over it).
bool QuickStartTag(const char* p, std::size_t n, std::size_t pos, NodeDescriptor& node, std::size_t& end) {
  auto at = [&](std::size_t k) -> unsigned char { return k < n ? static_cast<unsigned char>(p[k]) : 0; };
  std::size_t i = pos + 1;
  while (!kNameStops[at(i)]) ++i;
  const std::size_t afterName = i;
  for (;;) {
    while (!kTagStops[at(i)]) ++i;
    if (at(i) != '=') break;  // '>' or the end
    if (at(i - 1) == '=') {   // a second '=' does not announce a value
      ++i;
      continue;
    }
    ++i;
    while (IsSpace(at(i))) ++i;
    const unsigned char c = at(i);
    if (c == '"' || c == '\'') {
      // A quoted value: nothing inside it counts, up to the same quote.
      do ++i;
      while (at(i) != 0 && at(i) != c);
      if (at(i) == 0) return false;
      ++i;
    } else if (c != '>' && c != 0) {
      ++i;  // an unquoted value begins; its first byte announces nothing
    }
  }
  if (at(i) != '>') return false;
  node.nameStart = static_cast<std::int32_t>(pos + 1);
  node.nameLength = static_cast<std::int32_t>(afterName - pos - 1);
  const unsigned char last = i > afterName ? at(i - 1) : 0;
  const unsigned char beforeLast = i > afterName + 1 ? at(i - 2) : 0;
  if (last == '/' && (beforeLast == 0 || IsSpace(beforeLast) || beforeLast == '\'' || beforeLast == '"')) {
    node.flags |= kNodeEmptyElement;
  }
  node.type = kNodeElement;
  end = i + 1;
  return true;
}

// The common nodes of single-byte text read in one tight loop each: start
// tags, end tags, white-space runs and character data. They follow the same
// rules as the state machine below, which takes over (from the node's start)
// whenever the node is anything else or the text ends inside it.
bool QuickNode(const ScanText& scan, std::size_t pos, NodeDescriptor& node, std::size_t& end) {
  const char* p = scan.text.data();
  const std::size_t n = scan.text.size();
  auto at = [&](std::size_t k) -> unsigned char { return k < n ? static_cast<unsigned char>(p[k]) : 0; };
  if (at(pos) != '<') {
    std::size_t i = pos;
    while (IsSpace(at(i))) ++i;
    if (i > pos && (at(i) == '<' || at(i) == 0)) {
      node.type = kNodeWhitespace;
      end = i;
      return true;
    }
    // Character data (white space followed by anything else is too) runs to
    // the next '<' (not included), '>' (included) or NUL.
    i = TextEnd(p, i, n);
    node.type = kNodeText;
    end = at(i) == '>' ? i + 1 : i;
    return true;
  }
  const unsigned char second = at(pos + 1);
  if (second == '/') {
    const std::size_t name = pos + 2;
    std::size_t afterName = name;
    while (!kNameStops[at(afterName)]) ++afterName;
    std::size_t i = afterName;
    while (at(i) != 0 && at(i) != '>') ++i;
    if (at(i) == 0) return false;
    node.type = kNodeEndTag;
    node.nameStart = static_cast<std::int32_t>(name);
    node.nameLength = static_cast<std::int32_t>(afterName - name);
    end = i + 1;
    return true;
  }
  if (!StartsTagName(second)) return false;
  return QuickStartTag(p, n, pos, node, end);
}

// Field by field: assigning a whole temporary costs a store-forwarding stall
// on every node.
void ResetNode(NodeDescriptor& node, std::size_t pos) {
  node.type = kNodeEndOfText;
  node.start = static_cast<std::int32_t>(pos);
  node.length = 0;
  node.flags = 0;
  node.nameStart = 0;
  node.nameLength = 0;
  node.errorWhat = nullptr;
  node.unterminated = false;
}

}  // namespace

int ParseNode(const ScanText& scan, std::size_t& pos, NodeDescriptor& node) {
  ResetNode(node, pos);
  if (scan.At(pos) == 0) {
    node.type = kNodeEndOfText;
    return kNodeEndOfText;
  }
  std::size_t quickEnd = pos;
  if (scan.leadBytes == nullptr && QuickNode(scan, pos, node, quickEnd)) {
    node.length = static_cast<std::int32_t>(quickEnd - pos);
    pos = quickEnd;
    return node.type;
  }
  ResetNode(node, pos);
  Scanner s{scan, node, 0, kNodeError, {}, 0, false, 0, 0};
  std::size_t i = pos;
  std::size_t end = pos;
  const bool singleByte = scan.leadBytes == nullptr;
  for (;;) {
    if (singleByte) i = s.FastForward(i);
    const unsigned char c = scan.At(i);
    if (c == 0) {
      end = i;
      if (s.type != kNodeText && s.type != kNodeWhitespace) {
        node.errorWhat = UnterminatedLabel(s.type, s.flags);
        node.unterminated = true;
        s.type = kNodeError;
      }
      break;
    }
    if (s.namePending) {
      if (!IsSpace(c) && c != '/' && c != '>') {
        i += scan.Step(i);
        continue;
      }
      s.namePending = false;
      node.nameStart = static_cast<std::int32_t>(s.nameFrom);
      node.nameLength = static_cast<std::int32_t>(i - s.nameFrom);
      s.last = s.beforeLast = 0;
    }
    if (!s.marker.empty() ? s.Marked(i, c, end) : s.Deciding(i, c, end)) break;
    i += scan.Step(i);
  }
  node.type = s.type;
  node.length = static_cast<std::int32_t>(end - pos);
  pos = end;
  return s.type;
}

std::string ErrorMessageOf(const NodeDescriptor& node) {
  if (node.errorWhat == nullptr) return {};
  std::string offset = std::to_string(node.start);
  if (node.unterminated) return std::string(node.errorWhat) + " at offset " + offset + " unterminated";
  return std::string("Incorrect ") + node.errorWhat + " at offset " + offset;
}

}  // namespace vexaro::xml
