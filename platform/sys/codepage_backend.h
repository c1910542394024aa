// What each platform backend supplies to the code-page services; the portable
// layer (codepage.cpp) resolves code page 0 and the test override first, so the
// backend always sees a real code page number.
#pragma once

#include "platform/sys/codepage.h"

namespace vexaro::sys::backend {

unsigned NativeSystemCodePage();
LeadByteTable NativeLeadBytes(unsigned codePage);
bool NativeCodePageAvailable(unsigned codePage);
int NativeMultiByteToWide(unsigned codePage, std::string_view src, char16_t* dst, int capacity);
int NativeWideToMultiByte(unsigned codePage, std::u16string_view src, char* dst, int capacity,
                          bool* usedDefault);

}  // namespace vexaro::sys::backend

namespace vexaro::sys::utf {

// UTF-8 <-> UTF-16 as Windows converts code page 65001: invalid UTF-8 bytes
// and unpaired surrogates become U+FFFD. Capacity 0 measures; 0 is returned
// when dst is too small.
int Utf8ToUtf16(std::string_view src, char16_t* dst, int capacity);
int Utf16ToUtf8(std::u16string_view src, char* dst, int capacity);

// Lead-byte ranges of the double-byte code pages (932, 936, 949, 950, 1361);
// all false for every other code page.
LeadByteTable DoubleByteLeadBytes(unsigned codePage);

}  // namespace vexaro::sys::utf
