// Reference decoding with the 130-bucket entity table.
#include "xml/entities.h"

#include <cstring>

#include "platform/sys/codepage.h"
#include "xml/lookup_tables.h"

namespace vexaro::xml {
namespace {

// Characters collected after '&' at most.
constexpr std::size_t kMaxReference = 9;

std::uint32_t ParseDigits(std::string_view digits, unsigned base) {
  std::uint32_t value = 0;
  for (char ch : digits) {
    unsigned digit;
    if (ch >= '0' && ch <= '9') digit = static_cast<unsigned>(ch - '0');
    else if (base == 16 && ch >= 'a' && ch <= 'f') digit = static_cast<unsigned>(ch - 'a' + 10);
    else if (base == 16 && ch >= 'A' && ch <= 'F') digit = static_cast<unsigned>(ch - 'A' + 10);
    else break;
    value = value * base + digit;  // at most 8 digits: no overflow
  }
  return value;
}

std::uint32_t CodePointOf(std::string_view reference) {
  if (!reference.empty() && reference[0] == '#') {
    if (reference.size() > 1 && (reference[1] == 'x' || reference[1] == 'X')) {
      return ParseDigits(reference.substr(2), 16);
    }
    return ParseDigits(reference.substr(1), 10);
  }
  return LookupEntity(reference);
}

// The code point in the system code page; 0 bytes when it cannot be shown
// there or would not fit in `room`.
int ToSystemCodePage(std::uint32_t cp, char* out, int room) {
  // Surrogates and values beyond Unicode name no character.
  if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  char16_t units[2];
  std::size_t count = 1;
  if (cp > 0xFFFF) {
    units[0] = static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
    units[1] = static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    count = 2;
  } else {
    units[0] = static_cast<char16_t>(cp);
  }
  bool usedDefault = false;
  int n = sys::WideToMultiByte(sys::kCodePageSystem, std::u16string_view(units, count), out, room, &usedDefault);
  return usedDefault ? 0 : n;
}

}  // namespace

std::uint32_t LookupEntity(std::string_view name) {
  if (name.empty() || name.size() > 9) return 0;
  unsigned sum = 0;
  for (char ch : name) sum += static_cast<unsigned char>(ch);
  const char* record = tables::kEntityBuckets[sum % tables::kEntityBucketCount];
  while (*record != '\0') {
    const auto length = static_cast<std::size_t>(record[0] - '0');
    if (length == name.size() && std::memcmp(record + 5, name.data(), length) == 0) {
      return ParseDigits(std::string_view(record + 1, 4), 10);
    }
    record += 5 + length;
  }
  return 0;
}

std::string DecodeEntities(std::string_view text) {
  const sys::LeadByteTable lead = sys::LeadBytes();
  return DecodeEntities(text, &lead);
}

std::string DecodeEntities(std::string_view text, const sys::LeadByteTable* leadBytes) {
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c != '&') {
      const bool lead = leadBytes != nullptr && (*leadBytes)[c];
      const std::size_t step = lead && i + 1 < text.size() && text[i + 1] != '\0' ? 2 : 1;
      out.append(text.substr(i, step));
      i += step;
      continue;
    }
    std::size_t j = i + 1;
    while (j < text.size() && j - i - 1 < kMaxReference && text[j] != ';' &&
           static_cast<unsigned char>(text[j]) < 0x80) {
      ++j;
    }
    if (j < text.size() && text[j] == ';') {
      const std::string_view reference = text.substr(i + 1, j - i - 1);
      char bytes[5];
      // A reference is at least as long as what replaces it, which keeps
      // the result within the input's length.
      const int room = static_cast<int>(std::min<std::size_t>(sizeof bytes, j + 1 - i));
      const int n = ToSystemCodePage(CodePointOf(reference), bytes, room);
      if (n > 0) {
        out.append(bytes, static_cast<std::size_t>(n));
        i = j + 1;
        continue;
      }
    }
    out.push_back('&');
    ++i;
  }
  return out;
}

}  // namespace vexaro::xml
