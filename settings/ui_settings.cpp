#include "settings/ui_settings.h"

#include <climits>

#include "xml/settings_document.h"

namespace vexaro::settings {

std::string ReadSetting(xml::XmlDocument& doc, std::string_view section, std::string_view key) {
  doc.Rewind();
  // Each round enters one level deeper, so the loop ends with the document.
  while (doc.FindChildElement(section)) {
    if (!doc.EnterChild()) break;
    if (doc.FindChildElement(key)) return doc.ChildText();
  }
  return {};
}

std::string ReadSetting(std::string_view section, std::string_view key) {
  return ReadSetting(xml::TheSettingsDocument(), section, key);
}

int ParseDecimal(std::string_view text) {
  std::size_t i = 0;
  auto blank = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
  while (i < text.size() && blank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) value = -value;
  if (value > INT_MAX) value = INT_MAX;
  return static_cast<int>(value);
}

void ApplyCaptionFontSettings(std::string& face, int& height) {
  xml::XmlDocument& doc = xml::TheSettingsDocument();
  if (doc.IsEmpty()) doc.Load(std::string() + kSettingsFileName);
  if (std::string found = ReadSetting(doc, "GLOBAL", "FONT"); !found.empty()) face = std::move(found);
  if (std::string size = ReadSetting(doc, "GLOBAL", "FONT_SIZE"); !size.empty())
    height = ParseDecimal(size);
}

}  // namespace vexaro::settings
