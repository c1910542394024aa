// Conversion between encodings. UTF-32 is handled here; everything else goes
// through the system's UTF-16 conversions.
#include <cstring>
#include <vector>

#include "platform/sys/codepage.h"
#include "xml/encodings.h"

namespace vexaro::xml {
namespace {

// Output of one conversion: writes while there is room, counts always.
template <typename Unit>
class Output {
 public:
  Output(void* destination, int capacity)
      : out_(static_cast<Unit*>(destination)), capacity_(destination == nullptr ? 0 : capacity) {}
  void Put(Unit unit) {
    if (capacity_ > 0) {
      if (count_ < static_cast<std::size_t>(capacity_)) out_[count_] = unit;
      else overflow_ = true;
    }
    ++count_;
  }
  // Like the system's conversions: 0 when the destination is too small.
  int Result() const { return overflow_ || count_ > 0x7FFFFFFF ? 0 : static_cast<int>(count_); }

 private:
  Unit* out_;
  int capacity_;
  std::size_t count_ = 0;
  bool overflow_ = false;
};

void PutUtf8(Output<char>& out, std::uint32_t cp) {
  auto put = [&](std::uint32_t byte) { out.Put(static_cast<char>(byte & 0xFF)); };
  if (cp <= 0x7F) {
    put(cp);
  } else if (cp <= 0x7FF) {
    put(0xC0 | (cp >> 6)), put(0x80 | (cp & 0x3F));
  } else if (cp <= 0xFFFF) {
    put(0xE0 | (cp >> 12)), put(0x80 | ((cp >> 6) & 0x3F)), put(0x80 | (cp & 0x3F));
  } else {
    put(0xF0 | ((cp >> 18) & 0x07)), put(0x80 | ((cp >> 12) & 0x3F)), put(0x80 | ((cp >> 6) & 0x3F)),
        put(0x80 | (cp & 0x3F));
  }
}

void PutUtf16(Output<char16_t>& out, std::uint32_t cp) {
  if (cp > 0xFFFF) {
    cp -= 0x10000;
    out.Put(static_cast<char16_t>(0xD800 | ((cp >> 10) & 0x3FF)));
    out.Put(static_cast<char16_t>(0xDC00 | (cp & 0x3FF)));
  } else {
    out.Put(static_cast<char16_t>(cp));
  }
}

// One UTF-16 character at src[i]; a surrogate without a following nonzero
// unit gives '?'.
std::size_t DecodeUtf16(const char16_t* src, std::size_t units, std::size_t i, std::uint32_t& cp) {
  const std::uint32_t first = src[i];
  if (first < 0xD800 || first > 0xDFFF) return cp = first, 1;
  if (i + 1 >= units || src[i + 1] == 0) return cp = '?', 1;
  cp = (((first << 10) & 0xFFFFF) | (src[i + 1] & 0x3FFu)) + 0x10000;
  return 2;
}

// The reader's UTF-8 decoding, without overlong or range checks. Returns the
// bytes used, 0 for a bad sequence.
std::size_t DecodeUtf8(const unsigned char* src, std::size_t length, std::size_t i, std::uint32_t& cp) {
  const unsigned char lead = src[i];
  if (lead < 0x80) return cp = lead, 1;
  std::size_t more;
  if ((lead & 0x20) == 0) more = 1, cp = lead & 0x1Fu;
  else if ((lead & 0x10) == 0) more = 2, cp = lead & 0x0Fu;
  else if ((lead & 0x08) == 0) more = 3, cp = lead & 0x07u;
  else return 0;
  for (std::size_t k = 1; k <= more; ++k) {
    if (i + k >= length || (src[i + k] & 0x80) == 0) return 0;
    cp = (cp << 6) | (src[i + k] & 0x3Fu);
  }
  return more + 1;
}

int ResolvedCodePage(std::string_view name) {
  int cp = CodePageFromName(name);
  if (cp == kCodePageUnknown) cp = 0;
  return cp == 0 ? static_cast<int>(sys::SystemCodePage()) : cp;
}

// Code points to UTF-16 or UTF-8.
template <typename Unit>
int FromUtf32(const std::uint32_t* src, std::size_t units, void* dst, int capacity) {
  Output<Unit> out(dst, capacity);
  for (std::size_t i = 0; i < units; ++i) {
    if constexpr (sizeof(Unit) == 1) PutUtf8(out, src[i]);
    else if constexpr (sizeof(Unit) == 2) PutUtf16(out, src[i]);
    else out.Put(src[i]);
  }
  return out.Result();
}

int Utf16ToUtf32(const char16_t* src, std::size_t units, void* dst, int capacity) {
  Output<std::uint32_t> out(dst, capacity);
  for (std::size_t i = 0; i < units;) {
    std::uint32_t cp;
    i += DecodeUtf16(src, units, i, cp);
    out.Put(cp);
  }
  return out.Result();
}

int Utf8ToUtf32(const unsigned char* src, std::size_t length, void* dst, int capacity) {
  Output<std::uint32_t> out(dst, capacity);
  for (std::size_t i = 0; i < length;) {
    std::uint32_t cp;
    const std::size_t used = DecodeUtf8(src, length, i, cp);
    out.Put(used == 0 ? '?' : cp);
    i += used == 0 ? 1 : used;
  }
  return out.Result();
}

// UTF-16 to a byte code page, reporting lost characters except for UTF-8.
int WideToBytes(int codePage, std::u16string_view src, void* dst, int capacity, bool* lost) {
  bool usedDefault = false;
  const int n = sys::WideToMultiByte(static_cast<unsigned>(codePage), src, static_cast<char*>(dst),
                                     dst == nullptr ? 0 : capacity,
                                     codePage == kCodePageUtf8 ? nullptr : &usedDefault);
  if (lost != nullptr) *lost = usedDefault;
  return n;
}

std::u16string BytesToWide(int codePage, std::string_view src) {
  std::u16string wide(src.size(), u'\0');  // one unit per byte at most
  const int n = sys::MultiByteToWide(static_cast<unsigned>(codePage), src, wide.data(),
                                     static_cast<int>(wide.size()));
  wide.resize(static_cast<std::size_t>(n));
  return wide;
}

std::u16string Utf32ToWide(const std::uint32_t* src, std::size_t units) {
  std::u16string wide(units * 2, u'\0');
  wide.resize(static_cast<std::size_t>(FromUtf32<char16_t>(src, units, wide.data(), static_cast<int>(wide.size()))));
  return wide;
}

}  // namespace

int ConvertText(std::string_view fromName, std::string_view toName, const void* source, int units,
                void* destination, int capacity, bool* lost) {
  if (lost != nullptr) *lost = false;
  if (source == nullptr || units <= 0) return 0;
  if (destination == nullptr || capacity <= 0) destination = nullptr, capacity = 0;
  const int from = ResolvedCodePage(fromName);
  const int to = ResolvedCodePage(toName);
  const auto count = static_cast<std::size_t>(units);
  const auto* bytes = static_cast<const char*>(source);

  if (from == kCodePageUtf32) {
    const auto* points = static_cast<const std::uint32_t*>(source);
    if (to == kCodePageUtf8) return FromUtf32<char>(points, count, destination, capacity);
    if (to == kCodePageUtf16) return FromUtf32<char16_t>(points, count, destination, capacity);
    if (to == kCodePageUtf32) return FromUtf32<std::uint32_t>(points, count, destination, capacity);
    return WideToBytes(to, Utf32ToWide(points, count), destination, capacity, lost);
  }
  if (from == kCodePageUtf16) {
    const auto* wide = static_cast<const char16_t*>(source);
    if (to == kCodePageUtf32) return Utf16ToUtf32(wide, count, destination, capacity);
    if (to == kCodePageUtf16) {
      Output<char16_t> out(destination, capacity);
      for (std::size_t i = 0; i < count; ++i) out.Put(wide[i]);
      return out.Result();
    }
    return WideToBytes(to, std::u16string_view(wide, count), destination, capacity, lost);
  }
  if (to == kCodePageUtf16) {
    return sys::MultiByteToWide(static_cast<unsigned>(from), std::string_view(bytes, count),
                                static_cast<char16_t*>(destination), capacity);
  }
  if (to == kCodePageUtf32) {
    if (from == kCodePageUtf8) {
      return Utf8ToUtf32(reinterpret_cast<const unsigned char*>(bytes), count, destination, capacity);
    }
    const std::u16string wide = BytesToWide(from, std::string_view(bytes, count));
    return Utf16ToUtf32(wide.data(), wide.size(), destination, capacity);
  }
  const std::u16string wide = BytesToWide(from, std::string_view(bytes, count));
  return WideToBytes(to, wide, destination, capacity, lost);
}

bool IsValidUtf8(const char* text, std::size_t length, int& multibyteCount) {
  multibyteCount = 0;
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  for (std::size_t i = 0; i < length && bytes[i] != 0;) {
    if (bytes[i] < 0x80) {
      ++i;
      continue;
    }
    std::uint32_t cp;
    const std::size_t used = DecodeUtf8(bytes, length, i, cp);
    if (used == 0) return false;
    ++multibyteCount;
    i += used;
  }
  return true;
}

}  // namespace vexaro::xml
