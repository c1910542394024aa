// Linux side of the code-page services: the system code page comes from the
// locale's character set; conversions go through glibc's iconv, with the
// default character '?' and lost-character reporting of the Windows calls.
#include <errno.h>
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <bit>
#include <cstring>
#include <string>
#include <vector>

#include "platform/sys/codepage_backend.h"

namespace vexaro::sys::backend {
namespace {

struct CodePageName {
  unsigned codePage;
  const char* iconvName;
};

// Code page numbers and the iconv names of the same character sets. Code pages
// absent here (see docs/code-pages.md) are unavailable: converting fails.
constexpr CodePageName kCodePages[] = {
    {37, "IBM037"},           {420, "IBM420"},           {437, "IBM437"},
    {708, "ISO-8859-6"},      {737, "CP737"},            {775, "CP775"},
    {850, "IBM850"},          {852, "IBM852"},           {855, "IBM855"},
    {857, "IBM857"},          {860, "IBM860"},           {861, "IBM861"},
    {862, "IBM862"},          {863, "IBM863"},           {864, "IBM864"},
    {865, "IBM865"},          {866, "IBM866"},           {869, "IBM869"},
    {870, "IBM870"},          {874, "CP874"},            {875, "IBM875"},
    {932, "CP932"},           {936, "CP936"},            {949, "CP949"},
    {950, "CP950"},           {1026, "IBM1026"},         {1140, "IBM1140"},
    {1141, "IBM1141"},        {1142, "IBM1142"},         {1143, "IBM1143"},
    {1144, "IBM1144"},        {1145, "IBM1145"},         {1146, "IBM1146"},
    {1147, "IBM1147"},        {1148, "IBM1148"},         {1149, "IBM1149"},
    {1250, "CP1250"},         {1251, "CP1251"},          {1252, "CP1252"},
    {1253, "CP1253"},         {1254, "CP1254"},          {1255, "CP1255"},
    {1256, "CP1256"},         {1257, "CP1257"},          {1258, "CP1258"},
    {1361, "JOHAB"},          {10000, "MACINTOSH"},      {10007, "MAC-CYRILLIC"},
    {10029, "MAC-CENTRALEUROPE"}, {10079, "MAC-IS"},     {20127, "ANSI_X3.4-1968"},
    {20106, "ISO646-DE"},     {20107, "ISO646-SE"},      {20108, "ISO646-NO"},
    {20273, "IBM273"},        {20277, "IBM277"},         {20278, "IBM278"},
    {20280, "IBM280"},        {20284, "IBM284"},         {20285, "IBM285"},
    {20290, "IBM290"},        {20423, "IBM423"},         {20424, "IBM424"},
    {20866, "KOI8-R"},        {20871, "IBM871"},         {20873, "IBM871"},
    {20880, "IBM880"},        {20905, "IBM905"},         {21025, "IBM1025"},
    {21866, "KOI8-U"},        {28591, "ISO-8859-1"},     {28592, "ISO-8859-2"},
    {28593, "ISO-8859-3"},    {28594, "ISO-8859-4"},     {28595, "ISO-8859-5"},
    {28596, "ISO-8859-6"},    {28597, "ISO-8859-7"},     {28598, "ISO-8859-8"},
    {28599, "ISO-8859-9"},    {28603, "ISO-8859-13"},    {28605, "ISO-8859-15"},
    {38598, "ISO-8859-8"},    {50220, "ISO-2022-JP"},    {50221, "ISO-2022-JP"},
    {50222, "ISO-2022-JP"},   {50225, "ISO-2022-KR"},    {50930, "IBM930"},
    {50933, "IBM933"},        {50935, "IBM935"},         {50937, "IBM937"},
    {50939, "IBM939"},        {51932, "EUC-JP"},         {51936, "EUC-CN"},
    {51949, "EUC-KR"},        {54936, "GB18030"},        {65000, "UTF-7"},
};

const char* IconvName(unsigned codePage) {
  for (const auto& entry : kCodePages) {
    if (entry.codePage == codePage) return entry.iconvName;
  }
  return nullptr;
}

// The iconv name of a code page other than UTF-8, the UTF-16 ones included.
const char* ConverterName(unsigned codePage) {
  if (codePage == kCodePageUtf16) return "UTF-16LE";
  if (codePage == kCodePageUtf16Be) return "UTF-16BE";
  return IconvName(codePage);
}

// The locale's character-set names as nl_langinfo reports them. The C and
// POSIX locales (ASCII) count as UTF-8: ASCII is its subset, and a tool run
// without a configured locale should not lose every non-ASCII character.
constexpr CodePageName kLocaleCharsets[] = {
    {65001, "UTF-8"},        {65001, "ANSI_X3.4-1968"}, {28591, "ISO-8859-1"},
    {28592, "ISO-8859-2"},   {28593, "ISO-8859-3"},     {28594, "ISO-8859-4"},
    {28595, "ISO-8859-5"},   {28596, "ISO-8859-6"},     {28597, "ISO-8859-7"},
    {28598, "ISO-8859-8"},   {28599, "ISO-8859-9"},     {28603, "ISO-8859-13"},
    {28605, "ISO-8859-15"},  {20866, "KOI8-R"},         {21866, "KOI8-U"},
    {1251, "CP1251"},        {1255, "CP1255"},          {932, "SHIFT_JIS"},
    {936, "GBK"},            {950, "BIG5"},             {51932, "EUC-JP"},
    {51936, "GB2312"},       {51949, "EUC-KR"},         {54936, "GB18030"},
};

constexpr char16_t kDefaultChar = u'?';

const char* Utf16Name() {
  return std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";
}

class Iconv {
 public:
  Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Iconv() {
    if (ok()) iconv_close(cd_);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  // Converts as much as fits; returns errno of the stop (0 when all done).
  int Run(const char*& in, std::size_t& inLeft, char*& out, std::size_t& outLeft) {
    char* src = const_cast<char*>(in);
    std::size_t r = iconv(cd_, &src, &inLeft, &out, &outLeft);
    in = src;
    return r == static_cast<std::size_t>(-1) ? errno : 0;
  }
  void Reset() { iconv(cd_, nullptr, nullptr, nullptr, nullptr); }
  // Writes the shift-back sequence of stateful encodings.
  int Finish(char*& out, std::size_t& outLeft) {
    std::size_t r = iconv(cd_, nullptr, nullptr, &out, &outLeft);
    return r == static_cast<std::size_t>(-1) ? errno : 0;
  }

 private:
  iconv_t cd_;
};

// Output sink that either writes into the caller's buffer or, when measuring,
// into a scratch chunk that is counted and discarded.
class Sink {
 public:
  Sink(char* dst, std::size_t capacity) : dst_(dst), measuring_(capacity == 0) {
    if (measuring_) {
      scratch_.resize(4096);
      pos_ = scratch_.data();
      left_ = scratch_.size();
    } else {
      pos_ = dst;
      left_ = capacity;
    }
  }
  char*& pos() { return pos_; }
  std::size_t& left() { return left_; }
  // Makes room after E2BIG: false when writing into a full caller buffer.
  bool Drain() {
    if (!measuring_) return false;
    counted_ += static_cast<std::size_t>(pos_ - scratch_.data());
    pos_ = scratch_.data();
    left_ = scratch_.size();
    return true;
  }
  bool Put(const void* bytes, std::size_t n) {
    if (left_ < n && !Drain()) return false;
    std::memcpy(pos_, bytes, n);
    pos_ += n;
    left_ -= n;
    return true;
  }
  std::size_t Total() const {
    return measuring_ ? counted_ + static_cast<std::size_t>(pos_ - scratch_.data())
                      : static_cast<std::size_t>(pos_ - dst_);
  }

 private:
  char* dst_;
  bool measuring_;
  std::vector<char> scratch_;
  char* pos_ = nullptr;
  std::size_t left_ = 0;
  std::size_t counted_ = 0;
};

// Runs a whole conversion; on an input sequence the target cannot take (or
// the source does not define) `onBad` decides what is written and how many
// input bytes are skipped. Returns the output bytes, -1 on a full buffer.
template <typename OnBad>
long Convert(Iconv& cd, const char* in, std::size_t inLeft, Sink& sink, OnBad onBad) {
  while (inLeft > 0) {
    int err = cd.Run(in, inLeft, sink.pos(), sink.left());
    if (err == 0) break;
    if (err == E2BIG) {
      if (!sink.Drain()) return -1;
    } else if (err == EILSEQ || err == EINVAL) {
      std::size_t skip = onBad(in, inLeft, sink, err == EINVAL);
      if (skip == 0) return -1;
      in += skip;
      inLeft -= skip;
      cd.Reset();
    } else {
      return -1;
    }
  }
  while (cd.Finish(sink.pos(), sink.left()) == E2BIG) {
    if (!sink.Drain()) return -1;
  }
  return static_cast<long>(sink.Total());
}

int ToInt(long n) { return n < 0 || n > 0x7FFFFFFF ? 0 : static_cast<int>(n); }

}  // namespace

unsigned NativeSystemCodePage() {
  locale_t loc = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr));
  if (loc == static_cast<locale_t>(nullptr)) return kCodePageUtf8;
  std::string charset = nl_langinfo_l(CODESET, loc);
  freelocale(loc);
  for (const auto& entry : kLocaleCharsets) {
    if (strcasecmp(entry.iconvName, charset.c_str()) == 0) return entry.codePage;
  }
  return kCodePageUtf8;
}

LeadByteTable NativeLeadBytes(unsigned codePage) { return utf::DoubleByteLeadBytes(codePage); }

bool NativeCodePageAvailable(unsigned codePage) {
  if (codePage == kCodePageUtf8 || codePage == kCodePageUtf16 || codePage == kCodePageUtf16Be)
    return true;
  const char* name = IconvName(codePage);
  if (name == nullptr) return false;
  Iconv cd(Utf16Name(), name);
  return cd.ok();
}

int NativeMultiByteToWide(unsigned codePage, std::string_view src, char16_t* dst, int capacity) {
  if (codePage == kCodePageUtf8) return utf::Utf8ToUtf16(src, dst, capacity);
  const char* name = ConverterName(codePage);
  if (name == nullptr) return 0;
  Iconv cd(Utf16Name(), name);
  if (!cd.ok()) return 0;
  Sink sink(reinterpret_cast<char*>(dst), static_cast<std::size_t>(capacity) * 2);
  long bytes = Convert(cd, src.data(), src.size(), sink,
                       [](const char*, std::size_t left, Sink& out, bool truncated) -> std::size_t {
                         const char16_t replacement = 0xFFFD;
                         if (!out.Put(&replacement, sizeof replacement)) return 0;
                         return truncated ? left : 1;
                       });
  return ToInt(bytes < 0 ? -1 : bytes / 2);
}

int NativeWideToMultiByte(unsigned codePage, std::u16string_view src, char* dst, int capacity,
                          bool* usedDefault) {
  if (codePage == kCodePageUtf8) return utf::Utf16ToUtf8(src, dst, capacity);
  const char* name = ConverterName(codePage);
  if (name == nullptr) return 0;
  Iconv cd(name, Utf16Name());
  if (!cd.ok()) return 0;
  Sink sink(dst, static_cast<std::size_t>(capacity));
  bool lost = false;
  long bytes = Convert(
      cd, reinterpret_cast<const char*>(src.data()), src.size() * 2, sink,
      [&](const char* in, std::size_t left, Sink& out, bool truncated) -> std::size_t {
        lost = true;
        const char fallback = static_cast<char>(kDefaultChar);
        if (!out.Put(&fallback, 1)) return 0;
        if (truncated || left < 2) return left;
        char16_t unit[2] = {0, 0};
        std::memcpy(unit, in, left >= 4 ? 4 : 2);
        bool pair = unit[0] >= 0xD800 && unit[0] <= 0xDBFF && unit[1] >= 0xDC00 && unit[1] <= 0xDFFF;
        return pair ? 4 : 2;
      });
  if (usedDefault != nullptr) *usedDefault = lost;
  return ToInt(bytes);
}

}  // namespace vexaro::sys::backend

namespace vexaro::sys {

std::string LastErrorText() {
  int code = errno;
  if (code == 0) return {};
  char buffer[256];
  // GNU strerror_r returns the message pointer (maybe not into buffer).
  const char* text = strerror_r(code, buffer, sizeof buffer);
  std::string message = text != nullptr ? text : "";
  std::size_t cut = message.find_first_of("\r\n");
  if (cut != std::string::npos) message.resize(cut);
  return message;
}

}  // namespace vexaro::sys
