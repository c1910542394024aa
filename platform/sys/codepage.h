// Code pages: which single-byte/multibyte character set the system's narrow
// ("ANSI") strings use, and conversions between code pages and UTF-16 with the
// default-character and lost-character behaviour of the Windows conversions.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace vexaro::sys {

// Code page numbers with a meaning of their own.
inline constexpr unsigned kCodePageSystem = 0;     // the system code page
inline constexpr unsigned kCodePageUtf16 = 1200;   // UTF-16 little-endian
inline constexpr unsigned kCodePageUtf16Be = 1201;
inline constexpr unsigned kCodePageUtf8 = 65001;

// The system code page: Windows' ANSI code page; on Linux the code page of the
// locale's character set (see docs/code-pages.md). Never 0.
unsigned SystemCodePage();

// Replaces the system code page for the whole process until called again;
// 0 returns to the system's own. For tests, which must not depend on the
// machine's locale. Only the code page number changes; Windows' conversions
// are then asked for that code page explicitly.
void OverrideSystemCodePage(unsigned codePage);

// Lead bytes of a multibyte code page (0: the system code page): a lead byte
// followed by another byte forms one character. All false for single-byte
// code pages and for UTF-8, whose characters are stepped byte by byte.
using LeadByteTable = std::array<bool, 256>;
LeadByteTable LeadBytes(unsigned codePage = kCodePageSystem);
bool IsLeadByte(unsigned char byte, unsigned codePage = kCodePageSystem);

// True when conversions to and from this code page work on this system.
bool IsCodePageAvailable(unsigned codePage);

// MultiByteToWideChar with flags 0: converts src from codePage (0: system) to
// UTF-16. With capacity 0 only measures. Returns the number of UTF-16 units,
// or 0 when the code page is unavailable or dst is too small. Bytes that are
// not valid in the code page become U+FFFD.
int MultiByteToWide(unsigned codePage, std::string_view src, char16_t* dst, int capacity);

// WideCharToMultiByte with flags 0: converts UTF-16 to codePage (0: system).
// Characters the code page lacks become its default character '?', and
// *usedDefault (when given) is set to true; for UTF-8 targets it is never set
// (unpaired surrogates become U+FFFD). With capacity 0 only measures. Returns
// the number of bytes, or 0 when the code page is unavailable or dst is too
// small.
int WideToMultiByte(unsigned codePage, std::u16string_view src, char* dst, int capacity,
                    bool* usedDefault);

// The system's one-line message for the calling thread's last error (errno on
// Linux, GetLastError on Windows); empty when there is none.
std::string LastErrorText();

}  // namespace vexaro::sys
