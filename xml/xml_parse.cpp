// Parsing: the document text becomes the element index. Structural errors
// never stop the parse; they mark records and leave the first message.
#include <algorithm>
#include <vector>

#include "platform/sys/codepage.h"
#include "xml/xml_document.h"

namespace vexaro::xml {
namespace {

// Beyond this nesting depth start tags are refused as errors: closing
// not-ended elements re-links their children, which costs the square of the
// depth for a text of unclosed tags.
constexpr std::int32_t kMaxDepth = 4096;

// Texts must be addressable with the index's 32-bit offsets.
constexpr std::size_t kMaxTextLength = 0x7FFFFFFE;

std::string Quoted(std::string_view name) {
  std::string quoted;
  quoted.reserve(name.size() + 2);
  quoted.push_back('\'');
  quoted.append(name);
  quoted.push_back('\'');
  return quoted;
}

}  // namespace

// The element parser of one Parse call: reads node after node, links a record
// for every start tag, and closes elements at their end tags.
class XmlDocument::ElementParser {
 public:
  ElementParser(XmlDocument& doc, const ScanText& scan) : doc_(doc), index_(doc.index_), scan_(scan) {}

  // Returns the first element record (the root), 0 when there is none.
  std::int32_t Run(std::string& error);

 private:
  // An open start tag: its record and the extent of its name.
  struct OpenElement {
    std::int32_t record;
    std::int32_t nameStart;
    std::int32_t nameLength;
  };

  void OnStartTag(const NodeDescriptor& node);
  void OnEndTag(const NodeDescriptor& node);
  // Stack depth (1-based) of the innermost open element the end tag's name
  // matches; 0 when none does.
  std::size_t FindOpen(std::string_view endName) const;
  void MarkError(std::string message);
  void CloseNotEnded(const std::string& message);
  void Push(const OpenElement& open);
  std::string_view NameOf(const OpenElement& open) const {
    return scan_.text.substr(static_cast<std::size_t>(open.nameStart), static_cast<std::size_t>(open.nameLength));
  }

  XmlDocument& doc_;
  ElementIndex& index_;
  const ScanText& scan_;
  std::vector<OpenElement> stack_;
  std::string* error_ = nullptr;
  std::int32_t parent_ = 0;
  std::int32_t root_ = 0;
};

void XmlDocument::ElementParser::Push(const OpenElement& open) {
  if (stack_.size() == stack_.capacity()) stack_.reserve(2 * stack_.capacity() + 6);
  stack_.push_back(open);
}

void XmlDocument::ElementParser::MarkError(std::string message) {
  index_[0].SetFlag(kRecordIllFormed);
  index_[parent_].SetFlag(kRecordHasError);
  if (error_->empty()) *error_ = std::move(message);
}

std::int32_t XmlDocument::ElementParser::Run(std::string& error) {
  error_ = &error;
  std::size_t pos = 0;
  NodeDescriptor node;
  for (;;) {
    switch (ParseNode(scan_, pos, node)) {
      case kNodeElement:
        OnStartTag(node);
        break;
      case kNodeEndTag:
        OnEndTag(node);
        break;
      case kNodeError:
        MarkError(ErrorMessageOf(node));
        break;
      case kNodeEndOfText:
        while (!stack_.empty()) {
          const OpenElement& open = stack_.back();
          std::string message;
          if (error_->empty()) {
            message = "Element " + Quoted(NameOf(open)) + " at offset " +
                      std::to_string(index_[open.record].start) + " not ended";
          }
          CloseNotEnded(message);
        }
        return root_;
      default:
        break;  // text, comments and the like are read again only for element text
    }
  }
}

void XmlDocument::ElementParser::OnStartTag(const NodeDescriptor& node) {
  auto at = [&] { return " at offset " + std::to_string(node.start); };
  if (static_cast<std::uint32_t>(node.length) > ElementRecord::kStartTagMax) {
    MarkError(error_->empty() ? "Element tag" + at() + " too long" : std::string());
    return;
  }
  if (static_cast<std::int32_t>(stack_.size()) >= kMaxDepth) {
    MarkError(error_->empty() ? "Element " + Quoted(node.Name(scan_.text)) + at() + " nested too deep"
                              : std::string());
    return;
  }
  std::int32_t& next = doc_.nextFreeRecord_;
  if (next >= index_.Capacity() && !index_.Grow(next)) {
    MarkError(error_->empty() ? "Element tag" + at() + " beyond the index's capacity" : std::string());
    return;
  }
  const std::int32_t self = next++;
  ElementRecord& record = index_[self];
  record.start = node.start;
  record.length = node.length;
  record.SetTagLengths(static_cast<std::uint32_t>(node.length), 0);
  record.flagsAndLevel = std::min<std::uint32_t>(static_cast<std::uint32_t>(stack_.size()), ElementRecord::kLevelMax);
  record.parent = parent_;
  record.firstChild = 0;
  record.nextSibling = 0;

  ElementRecord& parent = index_[parent_];
  if (parent.firstChild != 0) {
    ElementRecord& first = index_[parent.firstChild];
    index_[first.previousSibling].nextSibling = self;
    record.previousSibling = first.previousSibling;
    first.previousSibling = self;
  } else {
    parent.firstChild = self;
    record.previousSibling = self;
    record.SetFlag(kRecordFirstChild);
  }
  if (root_ == 0) root_ = self;
  if ((node.flags & kNodeEmptyElement) == 0) {
    Push({self, node.nameStart, node.nameLength});
    parent_ = self;
  }
}

std::size_t XmlDocument::ElementParser::FindOpen(std::string_view endName) const {
  // Most end tags close the innermost element under the same plain name,
  // which then matches without its name being read again.
  if (!stack_.empty() && NameOf(stack_.back()) == endName && IsPlainName(endName)) return stack_.size();
  std::size_t k = stack_.size();
  while (k > 0 && !NameMatches(doc_.ElementName(stack_[k - 1].record), endName, doc_.documentFlags_)) --k;
  return k;
}

void XmlDocument::ElementParser::OnEndTag(const NodeDescriptor& node) {
  const std::string_view name = node.Name(scan_.text);
  if (static_cast<std::uint32_t>(node.length) > ElementRecord::kEndTagMax) {
    MarkError("Element end tag at offset " + std::to_string(node.start) + " too long");
    return;
  }
  const std::size_t k = FindOpen(name);
  if (k == 0) {
    if (!error_->empty()) return MarkError({});
    MarkError("No start tag for end tag " + Quoted(name) + " at offset " + std::to_string(node.start));
    return;
  }
  while (stack_.size() > k) {
    const OpenElement& open = stack_.back();
    std::string message;
    if (error_->empty()) {
      message = "End tag " + Quoted(name) + " at offset " + std::to_string(node.nameStart - 1) +
                " does not match start tag " + Quoted(NameOf(open)) + " at offset " +
                std::to_string(index_[open.record].start);
    }
    CloseNotEnded(message);
  }
  const std::int32_t self = stack_.back().record;
  ElementRecord& record = index_[self];
  record.length = node.start + node.length - record.start;
  record.SetTagLengths(static_cast<std::uint32_t>(record.StartTagLength()), static_cast<std::uint32_t>(node.length));
  parent_ = record.parent;
  stack_.pop_back();
}

// The innermost open element had no end tag: it becomes an empty element and
// its children follow it as siblings.
void XmlDocument::ElementParser::CloseNotEnded(const std::string& message) {
  const std::int32_t self = stack_.back().record;
  ElementRecord& record = index_[self];
  index_[0].SetFlag(kRecordIllFormed);
  record.SetFlag(kRecordNotEnded);
  record.length = record.StartTagLength();
  record.SetTagLengths(static_cast<std::uint32_t>(record.length), 0);
  if (record.firstChild != 0) {
    const std::int32_t first = record.firstChild;
    const std::int32_t last = index_[first].previousSibling;
    record.nextSibling = first;  // an open element is the last child of its parent
    index_[first].previousSibling = self;
    index_[first].ClearFlag(kRecordFirstChild);
    // A record's level stays the depth at which its start tag was read.
    for (std::int32_t child = first; child != 0; child = index_[child].nextSibling) {
      index_[child].parent = record.parent;
    }
    index_[index_[record.parent].firstChild].previousSibling = last;
    record.firstChild = 0;
  }
  if (record.HasFlag(kRecordHasError)) {
    record.ClearFlag(kRecordHasError);
    index_[record.parent].SetFlag(kRecordHasError);
  }
  if (error_->empty()) *error_ = message;
  parent_ = record.parent;
  stack_.pop_back();
}

XmlDocument::XmlDocument() { SetText(); }

bool XmlDocument::SetText(std::string_view text) {
  text_.assign(text);
  resultText_.clear();
  return Parse();
}

void XmlDocument::SetPositions(std::int32_t parent, std::int32_t current, std::int32_t child) {
  parentPosition_ = parent;
  currentPosition_ = current;
  childPosition_ = child;
  currentNodeType_ = current != 0 ? 1 : 0;
  currentNodeOffset_ = 0;
  currentNodeLength_ = 0;
}

void XmlDocument::ResetIndex() {
  leadBytes_ = sys::LeadBytes();
  multibyte_ = std::find(leadBytes_.begin(), leadBytes_.end(), true) != leadBytes_.end();
  SetPositions(0, 0, 0);
  nextFreeRecord_ = 1;
  deletedRecords_ = 0;
  // Short of memory for the usual start, the index begins small and the parse
  // grows it as far as it can.
  if (!index_.Reserve(static_cast<std::int64_t>(text_.size() / 64 + 8))) index_.Reserve(8);
  index_[0] = ElementRecord{};
}

bool XmlDocument::Parse() {
  const std::string kept = resultText_;
  ResetIndex();
  std::string error;
  if (text_.empty()) {
    error = "Empty document";
  } else if (text_.size() > kMaxTextLength) {
    index_[0].SetFlag(kRecordIllFormed);
    error = "Document of " + std::to_string(text_.size()) + " bytes too large";
  } else {
    const ScanText scan(text_, LeadBytes());
    const std::int32_t root = ElementParser(*this, scan).Run(error);
    index_[0].length = static_cast<std::int32_t>(text_.size());
    if (root == 0) {
      error = "No root element";
    } else {
      index_[0].firstChild = root;
      if (index_[root].nextSibling != 0) error = "Root element has sibling";
    }
  }
  SetPositions(0, 0, 0);
  if (kept.empty()) {
    resultText_ = error;
  } else {
    resultText_ = error.empty() ? kept : kept + " " + error;
  }
  return IsWellFormed();
}

bool XmlDocument::IsWellFormed() const {
  if (index_.Capacity() == 0) return false;
  const ElementRecord& document = index_[0];
  if (document.HasFlag(kRecordIllFormed) || document.firstChild == 0) return false;
  return index_[document.firstChild].nextSibling == 0;
}

std::string_view XmlDocument::ElementName(std::int32_t index) const {
  if (index <= 0 || index >= nextFreeRecord_) return {};
  return TagNameAt(text_, static_cast<std::size_t>(index_[index].start) + 1, LeadBytes());
}

}  // namespace vexaro::xml
