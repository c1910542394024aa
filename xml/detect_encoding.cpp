// The encoding a document names for itself: the XML declaration, or in HTML
// a meta tag with http-equiv Content-Type before the end of the head.
#include <algorithm>

#include "xml/encodings.h"
#include "xml/parse_node.h"

namespace vexaro::xml {
namespace {

constexpr std::uint32_t kFlags = kFlagIgnoreCase;

bool SameName(std::string_view name, std::string_view wanted) { return NameMatches(name, wanted, kFlags); }

// The charset named in a meta tag's content value ("text/html; charset=X").
std::string CharsetOf(std::string_view content, const sys::LeadByteTable* lead) {
  std::size_t pos = 0;
  std::string_view word;
  bool afterCharset = false;
  bool afterEquals = false;
  while (ReadWord(content, pos, word, lead)) {
    if (afterEquals) return std::string(word);
    if (afterCharset && word == "=") {
      afterEquals = true;
    } else {
      afterCharset = SameName(word, "charset");
    }
  }
  return {};
}

}  // namespace

std::string DetectDeclaredEncoding(std::string_view text) {
  // Nodes are read as the parser reads them: a lead byte of the system code
  // page takes the byte after it, so markup hidden in a character is not seen.
  const sys::LeadByteTable table = sys::LeadBytes();
  const bool multibyte = std::find(table.begin(), table.end(), true) != table.end();
  const sys::LeadByteTable* lead = multibyte ? &table : nullptr;
  const ScanText scan(text, lead);
  std::size_t pos = 0;
  NodeDescriptor node;
  bool markupSeen = false;
  bool htmlSeen = false;
  for (;;) {
    const int type = ParseNode(scan, pos, node);
    if (type == kNodeEndOfText || type == kNodeError) return {};
    const std::string_view tag =
        text.substr(static_cast<std::size_t>(node.start), static_cast<std::size_t>(node.length));
    if (type == kNodeProcessingInstruction && !markupSeen) {
      if (!SameName(TagNameAt(tag, 2, lead), "xml")) return {};
      std::string_view value;
      return FindAttribute(tag, 2, "encoding", kFlags, value, lead) ? std::string(value) : std::string();
    }
    if (type == kNodeProcessingInstruction || type == kNodeEndTag || type == kNodeElement) markupSeen = true;
    if (type == kNodeEndTag && SameName(node.Name(text), "head")) return {};
    if (type != kNodeElement) continue;
    const std::string_view name = TagNameAt(tag, 1, lead);
    if (!htmlSeen) {
      if (!SameName(name, "html")) return {};
      htmlSeen = true;
      continue;
    }
    std::string_view equiv;
    if (!SameName(name, "meta") || !FindAttribute(tag, 1, "http-equiv", kFlags, equiv, lead) ||
        !SameName(equiv, "Content-Type")) {
      continue;
    }
    std::string_view content;
    if (!FindAttribute(tag, 1, "content", kFlags, content, lead)) return {};
    return CharsetOf(content, lead);
  }
}

}  // namespace vexaro::xml
