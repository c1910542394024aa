// Encoding names to code page numbers through the 150-bucket name table.
#include <cstring>

#include "platform/sys/codepage.h"
#include "xml/encodings.h"
#include "xml/lookup_tables.h"

namespace vexaro::xml {

int CodePageFromName(std::string_view name) {
  if (name.empty()) return 0;
  if (name.substr(0, 6) == "UTF-32") return kCodePageUtf32;
  if (name.size() >= 100) return kCodePageUnknown;
  char lower[100];
  unsigned sum = 0;
  for (std::size_t k = 0; k < name.size(); ++k) {
    char ch = name[k];
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
    lower[k] = ch;
    sum += static_cast<unsigned char>(ch);
  }
  const char* record = tables::kCodePageBuckets[sum % tables::kCodePageBucketCount];
  while (*record != '\0') {
    const auto length = static_cast<std::size_t>((record[0] - '0') * 10 + (record[1] - '0'));
    if (length == name.size() && std::memcmp(record + 7, lower, length) == 0) {
      int codePage = 0;
      for (int k = 2; k < 7; ++k) codePage = codePage * 10 + (record[k] - '0');
      return codePage;
    }
    record += 7 + length;
  }
  return kCodePageUnknown;
}

bool NeedsConversion(std::string_view from, std::string_view to) {
  int a = CodePageFromName(from);
  int b = CodePageFromName(to);
  if (a == kCodePageUnknown || b == kCodePageUnknown) return false;
  const auto system = static_cast<int>(sys::SystemCodePage());
  if (a == 0) a = system;
  if (b == 0) b = system;
  return a != b;
}

}  // namespace vexaro::xml
