// Navigation through the element index by tag name, and element text.
#include <algorithm>

#include "platform/sys/codepage.h"
#include "xml/entities.h"
#include "xml/xml_document.h"

namespace vexaro::xml {

bool XmlDocument::NameMatchesAt(std::int32_t index, std::string_view wanted) const {
  return wanted.empty() || NameMatches(ElementName(index), wanted, documentFlags_);
}

void XmlDocument::Rewind() { SetPositions(0, 0, 0); }

bool XmlDocument::FindElement(std::string_view name) {
  if (nextFreeRecord_ <= 1) return false;
  std::int32_t candidate =
      currentPosition_ != 0 ? index_[currentPosition_].nextSibling : index_[parentPosition_].firstChild;
  for (; candidate != 0; candidate = index_[candidate].nextSibling) {
    if (NameMatchesAt(candidate, name)) {
      SetPositions(index_[candidate].parent, candidate, 0);
      return true;
    }
  }
  return false;
}

bool XmlDocument::FindChildElement(std::string_view name) {
  if (currentPosition_ == 0 && !FindElement()) return false;
  std::int32_t candidate =
      childPosition_ != 0 ? index_[childPosition_].nextSibling : index_[currentPosition_].firstChild;
  for (; candidate != 0; candidate = index_[candidate].nextSibling) {
    if (NameMatchesAt(candidate, name)) {
      const std::int32_t current = index_[candidate].parent;
      SetPositions(index_[current].parent, current, candidate);
      return true;
    }
  }
  return false;
}

bool XmlDocument::EnterChild() {
  if (currentPosition_ == 0) return false;
  SetPositions(currentPosition_, childPosition_, 0);
  return true;
}

std::string XmlDocument::ElementText(std::int32_t index) const {
  // Record 0 is the document: its text is the whole text while no element
  // lies below it.
  if (index < 0 || index >= nextFreeRecord_) return {};
  const ElementRecord& record = index_[index];
  if (record.firstChild != 0 || record.IsEmpty()) return {};
  const std::int64_t from = record.ContentStart();
  const std::int64_t length = record.ContentLength();
  if (from < 0 || length <= 0 || from + length > static_cast<std::int64_t>(text_.size())) return {};
  const std::string_view content =
      std::string_view(text_).substr(static_cast<std::size_t>(from), static_cast<std::size_t>(length));
  if (content.find('<') == std::string_view::npos) return DecodeEntities(content, LeadBytes());

  const ScanText scan(content, LeadBytes());
  std::string text;
  std::size_t pos = 0;
  NodeDescriptor node;
  for (int type; (type = ParseNode(scan, pos, node)) != kNodeEndOfText;) {
    const std::string_view raw =
        content.substr(static_cast<std::size_t>(node.start), static_cast<std::size_t>(node.length));
    if (type == kNodeText) {
      text += DecodeEntities(raw, LeadBytes());
    } else if (type == kNodeCdata) {
      constexpr std::size_t kOpen = 9;   // "<![CDATA["
      constexpr std::size_t kClose = 3;  // "]]>"
      if (raw.size() > kOpen + kClose) text += raw.substr(kOpen, raw.size() - kOpen - kClose);
    }
  }
  return text;
}

}  // namespace vexaro::xml
