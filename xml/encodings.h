// Text encodings of XML documents: encoding names to code pages, conversion
// between encodings (UTF-8, UTF-16, UTF-32 and the system's code pages), the
// UTF-8 test, and the encoding a document declares.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vexaro::xml {

// This reader's own number for UTF-32 (32-bit code points); never passed to
// the system.
inline constexpr int kCodePageUtf32 = 65005;
inline constexpr int kCodePageUtf16 = 1200;
inline constexpr int kCodePageUtf8 = 65001;
inline constexpr int kCodePageUnknown = -1;

// 0 for an empty name (the system code page), 65005 for a name beginning
// "UTF-32", the code page of a known name (letter case ignored), else -1.
int CodePageFromName(std::string_view name);

// True when both names are known and stand for different code pages, the
// empty name counting as the system code page.
bool NeedsConversion(std::string_view from, std::string_view to);

// Converts `units` source units (bytes; 16-bit units for UTF-16; 32-bit for
// UTF-32) from one encoding to another (an unknown name counts as the system
// code page). With no destination (or capacity 0) it only measures. Returns
// the output length in units of the target; *lost is set when characters
// became the default character.
int ConvertText(std::string_view fromName, std::string_view toName, const void* source, int units,
                void* destination, int capacity, bool* lost);

// Walks bytes up to `length` or the first zero byte; false at the first bad
// UTF-8 sequence. `multibyteCount` receives the sequences of 2 to 4 bytes.
bool IsValidUtf8(const char* text, std::size_t length, int& multibyteCount);

// The encoding named by an XML declaration or an HTML meta tag at the start
// of `text`; empty when there is none.
std::string DetectDeclaredEncoding(std::string_view text);

}  // namespace vexaro::xml
