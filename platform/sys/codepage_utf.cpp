// UTF-8 <-> UTF-16 with the replacement rules of Windows' code page 65001, and
// the lead-byte ranges of the double-byte code pages. Portable, used by the
// Linux backend.
#include <cstdint>

#include "platform/sys/codepage_backend.h"

namespace vexaro::sys::utf {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one UTF-8 character at src[i]; returns the bytes it used (at least
// one) and the code point, kReplacement for an invalid or overlong sequence.
std::size_t DecodeUtf8(std::string_view src, std::size_t i, char32_t& cp) {
  auto byte = [&](std::size_t k) { return static_cast<unsigned char>(src[k]); };
  unsigned char b0 = byte(i);
  if (b0 < 0x80) {
    cp = b0;
    return 1;
  }
  std::size_t need;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    need = 1, cp = b0 & 0x1Fu;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    need = 2, cp = b0 & 0x0Fu;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    need = 3, cp = b0 & 0x07u;
  } else {
    cp = kReplacement;
    return 1;
  }
  // The second byte's range excludes overlong forms, surrogates and values
  // beyond U+10FFFF, so a bad sequence is replaced by its maximal valid
  // prefix and the bytes after it are read again.
  unsigned char low = 0x80, high = 0xBF;
  if (b0 == 0xE0) low = 0xA0;
  if (b0 == 0xED) high = 0x9F;
  if (b0 == 0xF0) low = 0x90;
  if (b0 == 0xF4) high = 0x8F;
  for (std::size_t k = 1; k <= need; ++k) {
    const unsigned char lo = k == 1 ? low : 0x80, hi = k == 1 ? high : 0xBF;
    if (i + k >= src.size() || byte(i + k) < lo || byte(i + k) > hi) {
      cp = kReplacement;
      return k;
    }
    cp = (cp << 6) | (byte(i + k) & 0x3Fu);
  }
  return need + 1;
}

// Decodes one UTF-16 character at src[i]; unpaired surrogates give kReplacement.
std::size_t DecodeUtf16(std::u16string_view src, std::size_t i, char32_t& cp) {
  char32_t u = src[i];
  if (u < 0xD800 || u > 0xDFFF) {
    cp = u;
    return 1;
  }
  if (u <= 0xDBFF && i + 1 < src.size() && src[i + 1] >= 0xDC00 && src[i + 1] <= 0xDFFF) {
    cp = 0x10000 + ((u - 0xD800) << 10) + (src[i + 1] - 0xDC00u);
    return 2;
  }
  cp = kReplacement;
  return 1;
}

}  // namespace

int Utf8ToUtf16(std::string_view src, char16_t* dst, int capacity) {
  std::size_t out = 0;
  for (std::size_t i = 0; i < src.size();) {
    char32_t cp;
    i += DecodeUtf8(src, i, cp);
    std::size_t units = cp > 0xFFFF ? 2 : 1;
    if (capacity > 0) {
      if (out + units > static_cast<std::size_t>(capacity)) return 0;
      if (units == 2) {
        dst[out] = static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
        dst[out + 1] = static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
      } else {
        dst[out] = static_cast<char16_t>(cp);
      }
    }
    out += units;
  }
  return static_cast<int>(out);
}

int Utf16ToUtf8(std::u16string_view src, char* dst, int capacity) {
  std::size_t out = 0;
  for (std::size_t i = 0; i < src.size();) {
    char32_t cp;
    i += DecodeUtf16(src, i, cp);
    unsigned char bytes[4];
    std::size_t n;
    if (cp < 0x80) {
      bytes[0] = static_cast<unsigned char>(cp), n = 1;
    } else if (cp < 0x800) {
      bytes[0] = static_cast<unsigned char>(0xC0 | (cp >> 6));
      bytes[1] = static_cast<unsigned char>(0x80 | (cp & 0x3F)), n = 2;
    } else if (cp < 0x10000) {
      bytes[0] = static_cast<unsigned char>(0xE0 | (cp >> 12));
      bytes[1] = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
      bytes[2] = static_cast<unsigned char>(0x80 | (cp & 0x3F)), n = 3;
    } else {
      bytes[0] = static_cast<unsigned char>(0xF0 | (cp >> 18));
      bytes[1] = static_cast<unsigned char>(0x80 | ((cp >> 12) & 0x3F));
      bytes[2] = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
      bytes[3] = static_cast<unsigned char>(0x80 | (cp & 0x3F)), n = 4;
    }
    if (capacity > 0) {
      if (out + n > static_cast<std::size_t>(capacity)) return 0;
      for (std::size_t k = 0; k < n; ++k) dst[out + k] = static_cast<char>(bytes[k]);
    }
    out += n;
  }
  return static_cast<int>(out);
}

LeadByteTable DoubleByteLeadBytes(unsigned codePage) {
  LeadByteTable table{};
  auto mark = [&](unsigned from, unsigned to) {
    for (unsigned b = from; b <= to; ++b) table[b] = true;
  };
  switch (codePage) {
    case 932:  // Shift-JIS
      mark(0x81, 0x9F), mark(0xE0, 0xFC);
      break;
    case 936:  // GBK
    case 949:  // Unified Hangul
    case 950:  // Big5
      mark(0x81, 0xFE);
      break;
    case 1361:  // Johab
      mark(0x84, 0xD3), mark(0xD8, 0xDE), mark(0xE0, 0xF9);
      break;
    default:
      break;
  }
  return table;
}

}  // namespace vexaro::sys::utf
