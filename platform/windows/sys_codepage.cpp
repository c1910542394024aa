// Windows side of the code-page services: the ANSI code page and the system's
// own conversions and lead-byte test.
#include <windows.h>

#include "platform/sys/codepage_backend.h"

namespace vexaro::sys::backend {
namespace {

// WideCharToMultiByte refuses the used-default flag for these code pages
// (ERROR_INVALID_PARAMETER), so nothing can be reported for them.
bool CanReportDefault(unsigned codePage) {
  switch (codePage) {
    case 42: case 1200: case 1201: case 50220: case 50221: case 50222: case 50225: case 50227:
    case 50229: case 52936: case 54936: case 65000: case 65001:
      return false;
    default:
      return codePage < 57002 || codePage > 57011;
  }
}

}  // namespace

unsigned NativeSystemCodePage() { return GetACP(); }

LeadByteTable NativeLeadBytes(unsigned codePage) {
  LeadByteTable table{};
  for (unsigned b = 0x80; b < 256; ++b) table[b] = IsDBCSLeadByteEx(codePage, static_cast<BYTE>(b)) != 0;
  return table;
}

bool NativeCodePageAvailable(unsigned codePage) { return IsValidCodePage(codePage) != 0; }

int NativeMultiByteToWide(unsigned codePage, std::string_view src, char16_t* dst, int capacity) {
  if (src.size() > 0x7FFFFFFF) return 0;
  return MultiByteToWideChar(codePage, 0, src.data(), static_cast<int>(src.size()),
                             reinterpret_cast<wchar_t*>(dst), capacity);
}

int NativeWideToMultiByte(unsigned codePage, std::u16string_view src, char* dst, int capacity,
                          bool* usedDefault) {
  if (src.size() > 0x7FFFFFFF) return 0;
  const bool canReport = CanReportDefault(codePage);
  BOOL lost = FALSE;
  int n = WideCharToMultiByte(codePage, 0, reinterpret_cast<const wchar_t*>(src.data()),
                              static_cast<int>(src.size()), dst, capacity, nullptr,
                              canReport && usedDefault != nullptr ? &lost : nullptr);
  if (usedDefault != nullptr) *usedDefault = lost != FALSE;
  return n;
}

}  // namespace vexaro::sys::backend

namespace vexaro::sys {

std::string LastErrorText() {
  DWORD code = GetLastError();
  char buffer[100];
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                           0, buffer, sizeof buffer, nullptr);
  std::string message(buffer, n);
  std::size_t cut = message.find_first_of("\r\n");
  if (cut != std::string::npos) message.resize(cut);
  return message;
}

}  // namespace vexaro::sys
