// The node scanner of the XML reader and the small text readers built on it:
// one node at a time (tags, text, comments, CDATA, declarations), the word
// reader, attribute lookup in a tag, and tag-name matching.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/sys/codepage.h"

namespace vexaro::xml {

enum NodeType : int {
  kNodeEndTag = 0,
  kNodeElement = 1,
  kNodeText = 2,
  kNodeWhitespace = 4,
  kNodeCdata = 8,
  kNodeProcessingInstruction = 16,
  kNodeComment = 32,
  kNodeDoctype = 64,
  kNodeError = -1,
  kNodeEndOfText = -2,
};

// Node flag: a start tag written as an empty-element tag ("<a/>").
inline constexpr std::uint32_t kNodeEmptyElement = 0x10000;

// Document flag: names compare without regard to ASCII letter case.
inline constexpr std::uint32_t kFlagIgnoreCase = 0x08;

// One node as ParseNode found it. Offsets are into the scanned text. `name`
// is the tag name of a start tag or processing instruction (the end tag's
// name for an end tag); `message` the error text of a bad node.
struct NodeDescriptor {
  int type = kNodeEndOfText;
  std::int32_t start = 0;
  std::int32_t length = 0;
  std::uint32_t flags = 0;
  std::int32_t nameStart = 0;
  std::int32_t nameLength = 0;
  // A bad node's error: "Incorrect " + errorWhat, or, when the text ended
  // inside the node, errorWhat is the node's label and `unterminated` is set.
  const char* errorWhat = nullptr;
  bool unterminated = false;
  std::string_view Name(std::string_view text) const {
    return text.substr(static_cast<std::size_t>(nameStart), static_cast<std::size_t>(nameLength));
  }
};

// The text a scanner walks: bytes up to `text.size()` (the end counts as a
// NUL, as does any NUL byte), with the lead bytes of the multibyte code page
// whose characters are stepped over as pairs.
struct ScanText {
  std::string_view text;
  const sys::LeadByteTable* leadBytes = nullptr;  // null: single-byte steps

  explicit ScanText(std::string_view t, const sys::LeadByteTable* lead = nullptr)
      : text(t), leadBytes(lead) {}
  unsigned char At(std::size_t i) const {
    return i < text.size() ? static_cast<unsigned char>(text[i]) : 0;
  }
  // Bytes in the character at i: 2 for a lead byte followed by a non-NUL byte.
  std::size_t Step(std::size_t i) const {
    return leadBytes != nullptr && (*leadBytes)[At(i)] && At(i + 1) != 0 ? 2 : 1;
  }
};

// Reads one node starting at `pos`; on return `pos` is just after the node.
// Returns the node type (also in node.type).
int ParseNode(const ScanText& scan, std::size_t& pos, NodeDescriptor& node);

// The error message of a bad node ("Incorrect ... at offset N" or "... unterminated").
std::string ErrorMessageOf(const NodeDescriptor& node);

// Word reader: skips white space from `pos`; false at the end of `text`.
// Otherwise the word runs to the first delimiter and is at least one
// character; with `leadBytes`, multibyte characters are stepped over whole.
bool ReadWord(std::string_view text, std::size_t& pos, std::string_view& word,
              const sys::LeadByteTable* leadBytes = nullptr);

// Name matching: `name` matches `wanted` when wanted begins with it and ends
// there or continues with one of space, '=', '/', '[', ']'. With
// kFlagIgnoreCase ASCII letters compare regardless of case until a byte of
// 0x80 or above has matched.
bool NameMatches(std::string_view name, std::string_view wanted, std::uint32_t flags);

// True when no byte of `name` ends a name: the name reads the same with every
// name reader.
bool IsPlainName(std::string_view name);

// The tag name at `pos` (just after '<', or after "<?"): leading white space
// skipped, then up to the first delimiter, at least one character; with
// `leadBytes`, multibyte characters are stepped over whole.
std::string_view TagNameAt(std::string_view text, std::size_t pos,
                           const sys::LeadByteTable* leadBytes = nullptr);

// Attribute lookup in a start tag or processing instruction whose name begins
// at `from` within `tag` (the whole node). Returns the value, or the name
// itself when the attribute has no value; false when absent. With
// `leadBytes`, multibyte characters are stepped over whole.
bool FindAttribute(std::string_view tag, std::size_t from, std::string_view wanted,
                   std::uint32_t flags, std::string_view& value,
                   const sys::LeadByteTable* leadBytes = nullptr);

}  // namespace vexaro::xml
