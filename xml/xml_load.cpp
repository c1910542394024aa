// Loading a document from a file.
#include "xml/text_file.h"
#include "xml/xml_document.h"

namespace vexaro::xml {

bool XmlDocument::Load(const std::string& path) {
  const bool read = ReadTextFile(path, text_, &resultText_, &documentFlags_);
  if (read) return Parse();
  // The old index described the old text; it must not outlive it.
  ResetIndex();
  return false;
}

}  // namespace vexaro::xml
