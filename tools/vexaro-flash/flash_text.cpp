#include "tools/vexaro-flash/flash_text.h"

#include <algorithm>
#include <cstdio>

#include "platform/sys/codepage.h"

namespace vexaro::flash {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool IsControl(char16_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

bool IsShownAsItIs(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
}

std::u16string Decode(const std::string& text) {
  const int units = sys::MultiByteToWide(sys::kCodePageSystem, text, nullptr, 0);
  std::u16string wide(static_cast<std::size_t>(std::max(units, 0)), u'\0');
  if (units > 0 && sys::MultiByteToWide(sys::kCodePageSystem, text, wide.data(), units) == units) return wide;
  // A system code page that cannot be converted: only ASCII is sure.
  wide.clear();
  for (const char c : text) wide += static_cast<unsigned char>(c) < 0x80 ? static_cast<char16_t>(c) : kReplacement;
  return wide;
}

std::string Encode(unsigned codePage, const std::u16string& wide) {
  const int bytes = sys::WideToMultiByte(codePage, wide, nullptr, 0, nullptr);
  std::string text(static_cast<std::size_t>(std::max(bytes, 0)), '\0');
  if (bytes > 0) sys::WideToMultiByte(codePage, wide, text.data(), bytes, nullptr);
  return text;
}

}  // namespace

std::string JsonString(const std::string& text) {
  std::u16string json = u"\"";
  for (const char16_t c : Decode(text)) {
    if (c == u'"' || c == u'\\') {
      json += u'\\';
      json += c;
    } else if (IsControl(c)) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
      json.append(escaped, escaped + 6);
    } else {
      json += c;
    }
  }
  json += u'"';
  return Encode(sys::kCodePageUtf8, json);
}

std::string ShownText(const std::string& text) {
  if (IsShownAsItIs(text)) return text;
  std::u16string wide = Decode(text);
  std::replace_if(wide.begin(), wide.end(), IsControl, u'?');
  return Encode(sys::kCodePageSystem, wide);
}

}  // namespace vexaro::flash
