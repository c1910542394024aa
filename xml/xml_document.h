// XmlDocument: a small tolerant, non-validating XML reader. It keeps one
// document text in the system code page and indexes its elements as
// fixed-size records; callers find elements by name and read their text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "xml/element_index.h"
#include "xml/parse_node.h"

namespace vexaro::xml {

class XmlDocument {
 public:
  // An empty, indexed document (record 0 only; not well-formed).
  XmlDocument();
  XmlDocument(const XmlDocument&) = delete;
  XmlDocument& operator=(const XmlDocument&) = delete;

  // ---- Text and parsing ---------------------------------------------------

  // Replaces the text (nothing: empty), clears the result text and parses.
  // Returns the result of Parse.
  bool SetText(std::string_view text = {});
  // Reads a file in any supported encoding into the text (see text_file.h),
  // converting it to the system code page, then parses. False without
  // parsing when the file cannot be read; the text is then empty and the
  // result text holds the reason.
  bool Load(const std::string& path);
  bool IsEmpty() const { return text_.empty(); }
  // Builds the element index; returns IsWellFormed.
  bool Parse();
  // One root element, no structural error.
  bool IsWellFormed() const;

  const std::string& Text() const { return text_; }
  // The file-reading log (after Load) followed by the first parse error.
  const std::string& ResultText() const { return resultText_; }
  // Document flags: kFlagIgnoreCase makes name searches ignore ASCII case;
  // Load stores the reading flags (0x10 and the byte-order-mark bits).
  std::uint32_t DocumentFlags() const { return documentFlags_; }
  void SetDocumentFlags(std::uint32_t flags) { documentFlags_ = flags; }

  // ---- Navigation ---------------------------------------------------------

  // No current element and no current child.
  void Rewind();
  // Next sibling element (after the current one, else the first child of the
  // parent position; at document level the root) whose name matches `name`
  // (empty: any). Becomes current; false, unchanged, when none.
  bool FindElement(std::string_view name = {});
  // Next child of the current element (after the current child) matching
  // `name`; with no current element the root is made current first.
  bool FindChildElement(std::string_view name = {});
  // The current child becomes the current element; false with no current element.
  bool EnterChild();
  // Text content of the current child / of element `index`: references
  // decoded, CDATA unwrapped; empty for an element with child elements.
  std::string ChildText() const { return ElementText(childPosition_); }
  std::string ElementText(std::int32_t index) const;

  // ---- Index and positions ------------------------------------------------

  std::int32_t ParentPosition() const { return parentPosition_; }
  std::int32_t CurrentPosition() const { return currentPosition_; }
  std::int32_t ChildPosition() const { return childPosition_; }
  // 1 while a current element is set, else 0.
  int CurrentNodeType() const { return currentNodeType_; }
  // Records in use: record 0 (the document) and one per element.
  std::int32_t RecordCount() const { return nextFreeRecord_; }
  const ElementRecord& Record(std::int32_t index) const { return index_[index]; }
  const ElementIndex& Index() const { return index_; }
  // The tag name of element `index` as written after its '<'.
  std::string_view ElementName(std::int32_t index) const;

 private:
  class ElementParser;

  void SetPositions(std::int32_t parent, std::int32_t current, std::int32_t child);
  void ResetIndex();
  bool NameMatchesAt(std::int32_t index, std::string_view wanted) const;

  std::string text_;
  std::string resultText_;
  std::int32_t parentPosition_ = 0;
  std::int32_t currentPosition_ = 0;
  std::int32_t childPosition_ = 0;
  std::int32_t nextFreeRecord_ = 1;
  std::int32_t deletedRecords_ = 0;
  int currentNodeType_ = 0;
  std::int32_t currentNodeOffset_ = 0;
  std::int32_t currentNodeLength_ = 0;
  std::uint32_t documentFlags_ = 0;
  ElementIndex index_;
  // Lead bytes of the system code page when the text was parsed; null when
  // it has none, so that single-byte texts are stepped without lookups.
  sys::LeadByteTable leadBytes_{};
  bool multibyte_ = false;
  const sys::LeadByteTable* LeadBytes() const { return multibyte_ ? &leadBytes_ : nullptr; }
};

}  // namespace vexaro::xml
