// Fuzz target: parse any text, then walk every element with the navigation
// calls and cut out its text, under each kind of system code page.
#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <cstdint>
#include <string_view>

#include "platform/sys/codepage.h"
#include "xml/xml_document.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vexaro;
  if (size == 0) return 0;
  // The first byte picks the code page (single-byte, UTF-8, double-byte) and
  // the case flag; the rest is the document.
  static constexpr unsigned kCodePages[] = {1252, 65001, 932, 1361};
  sys::OverrideSystemCodePage(kCodePages[data[0] & 3]);
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

  xml::XmlDocument doc;
  doc.SetDocumentFlags((data[0] & 4) != 0 ? xml::kFlagIgnoreCase : 0);
  doc.SetText(text);
  (void)doc.IsWellFormed();
  for (std::int32_t i = 0; i <= doc.RecordCount(); ++i) (void)doc.ElementText(i);

  // Depth-first walk through the positions, bounded by the record count.
  doc.Rewind();
  std::int32_t steps = 0;
  while (doc.FindChildElement() && steps++ < doc.RecordCount() * 2) {
    (void)doc.ChildText();
    if (doc.Record(doc.ChildPosition()).firstChild != 0) doc.EnterChild();
  }
  doc.Rewind();
  const std::string_view name = doc.ElementName(1);
  while (doc.FindElement(name)) {
  }
  // Oracle: the single-byte scanner's quick loops and the full state machine
  // (run for multibyte code pages) must index ASCII text identically.
  if (std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
    sys::OverrideSystemCodePage(1252);
    xml::XmlDocument single;
    single.SetText(text);
    sys::OverrideSystemCodePage(932);
    xml::XmlDocument multi;
    multi.SetText(text);
    if (single.ResultText() != multi.ResultText() || single.RecordCount() != multi.RecordCount()) std::abort();
    for (std::int32_t i = 0; i < single.RecordCount(); ++i) {
      if (std::memcmp(&single.Record(i), &multi.Record(i), sizeof(xml::ElementRecord)) != 0) std::abort();
    }
  }
  sys::OverrideSystemCodePage(0);
  return 0;
}
