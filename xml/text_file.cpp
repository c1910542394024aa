// Reading document files: byte-order marks, declared encodings, UTF-8
// detection, null removal, byte swapping and conversion, with the log.
#include "xml/text_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

#include "platform/sys/codepage.h"
#include "xml/encodings.h"

namespace vexaro::xml {
namespace {

constexpr std::size_t kPrefixBytes = 1024;

struct ByteOrderMark {
  const char* bytes;
  std::size_t length;
  const char* encoding;
  std::uint32_t flag;
  std::int32_t unitSize;
};

constexpr ByteOrderMark kMarks[] = {
    {"\xEF\xBB\xBF", 3, "UTF-8", kFileUtf8Bom, 1},
    {"\xFF\xFE", 2, "UTF-16LE", kFileUtf16Le, 2},
    {"\xFE\xFF", 2, "UTF-16BE", kFileUtf16Be, 2},
};

// A log word: the literal with its "%d" replaced by the number.
std::string Word(std::string_view format, long value) {
  std::string word(format);
  const std::size_t at = word.find("%d");
  if (at != std::string::npos) word.replace(at, 2, std::to_string(value));
  return word;
}

// Converts `units` of `source` to the system code page into `text`: one pass
// measuring, one writing into the measured size plus a hundredth.
void ConvertToSystem(std::string_view encoding, const void* source, std::int32_t units, std::string& text,
                     bool& lost) {
  const int measured = ConvertText(encoding, "", source, units, nullptr, 0, &lost);
  text.assign(static_cast<std::size_t>(measured) + static_cast<std::size_t>(measured) / 100, '\0');
  const int written = text.empty() ? 0 : ConvertText(encoding, "", source, units, text.data(),
                                                     static_cast<int>(text.size()), &lost);
  text.resize(static_cast<std::size_t>(written));
}

std::int32_t SourceUnitBytes(std::string_view encoding) {
  const int codePage = CodePageFromName(encoding);
  return codePage == kCodePageUtf32 ? 4 : codePage == kCodePageUtf16 ? 2 : 1;
}

void LogConversion(std::string& log, const char* format, std::size_t length, bool lost) {
  log += Word(format, static_cast<long>(length));
  if (lost) log += "(chars lost in conversion!) ";
}

}  // namespace

std::string SystemErrorText() { return sys::LastErrorText(); }

bool OpenTextFile(const std::string& path, TextFile& file) {
  file.log.clear();
  const char* mode = (file.flags & kFileAppending) != 0 ? "ab" : (file.flags & kFileWriting) != 0 ? "wb" : "rb";
  errno = 0;
  file.file.reset(std::fopen(path.c_str(), mode));
  if (!file.file) {
    file.log = SystemErrorText();
    return false;
  }
  if ((file.flags & kFileReading) == 0) return true;
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) {  // some systems open directories for reading
    file.file.reset();
    errno = EISDIR;
    file.log = SystemErrorText();
    return false;
  }

  std::FILE* f = file.file.get();
  errno = 0;
  if (std::fseek(f, 0, SEEK_END) != 0) return file.log = SystemErrorText(), false;
  const long length = std::ftell(f);
  if (length < 0 || std::fseek(f, 0, SEEK_SET) != 0) return file.log = SystemErrorText(), false;
  if (length > kMaxFileBytes) {
    file.log = "File of " + std::to_string(length) + " bytes too large";
    return false;
  }
  file.bytesLeft = static_cast<std::int32_t>(length);
  char prefix[kPrefixBytes];
  const std::size_t prefixLength = std::min(kPrefixBytes, static_cast<std::size_t>(length));
  if (prefixLength > 0 && std::fread(prefix, 1, prefixLength, f) != prefixLength) {
    file.log = SystemErrorText();
    return false;
  }

  file.flags &= ~kFileEncodingBits;
  file.unitSize = 1;
  std::size_t markLength = 0;
  for (const ByteOrderMark& mark : kMarks) {
    if (prefixLength >= mark.length && std::memcmp(prefix, mark.bytes, mark.length) == 0) {
      file.flags |= mark.flag;
      file.encoding = mark.encoding;
      file.unitSize = mark.unitSize;
      file.bytesLeft -= static_cast<std::int32_t>(mark.length);
      markLength = mark.length;
      break;
    }
  }
  if (std::fseek(f, static_cast<long>(markLength), SEEK_SET) != 0) return file.log = SystemErrorText(), false;
  if (markLength == 0) {
    const std::string_view text(prefix, prefixLength);
    file.encoding = DetectDeclaredEncoding(text);
    if (file.encoding.empty() && !text.empty() && text[0] == '<') file.encoding = "UTF-8";
  }
  if (!file.encoding.empty()) file.log = file.encoding + (markLength != 0 ? " BOM +" : "") + " ";
  return true;
}

bool ReadRaw(char* buffer, TextFile& file) {
  const auto wanted = static_cast<std::size_t>(file.bytesToRead);
  errno = 0;
  const std::size_t got = wanted == 0 ? 0 : std::fread(buffer, 1, wanted, file.file.get());
  if (got != wanted && std::ferror(file.file.get()) != 0) {
    file.log = SystemErrorText();
    return false;
  }
  const auto unit = static_cast<std::size_t>(file.unitSize);
  std::size_t units = got / unit;
  file.log = Word("length %d ", static_cast<long>(units));

  std::size_t kept = 0;
  for (std::size_t k = 0; k < units; ++k) {
    const char* at = buffer + k * unit;
    if (at[0] == 0 && (unit == 1 || at[1] == 0)) continue;
    if (kept != k) std::memmove(buffer + kept * unit, at, unit);
    ++kept;
  }
  if (kept != units) file.log += Word("(%d nulls removed) ", static_cast<long>(units - kept));
  units = kept;
  if (unit == 2 && (file.flags & kFileUtf16Be) != 0) {
    for (std::size_t k = 0; k < units; ++k) std::swap(buffer[2 * k], buffer[2 * k + 1]);
    file.log += "endian swap ";
  }
  file.unitsRead = static_cast<std::int32_t>(units);
  return true;
}

bool ReadText(std::string& text, TextFile& file) {
  file.log.clear();
  text.clear();
  if (file.bytesToRead <= 0) {
    file.log = "0 length ";
    return true;
  }
  const auto bytes = static_cast<std::size_t>(file.bytesToRead);
  bool lost = false;
  if ((file.flags & (kFileUtf16Le | kFileUtf16Be)) != 0) {
    std::vector<char16_t> units(bytes / 2 + 1);
    if (!ReadRaw(reinterpret_cast<char*>(units.data()), file)) return false;
    ConvertToSystem("UTF-16", units.data(), file.unitsRead, text, lost);
    LogConversion(file.log, "to %d bytes ", text.size(), lost);
    return true;
  }
  if (NeedsConversion(file.encoding, "")) {
    std::vector<char> raw(bytes);
    if (!ReadRaw(raw.data(), file)) return false;
    // A byte file may declare UTF-16 or UTF-32: the converter then reads
    // 2- or 4-byte units, of which there are fewer than bytes read.
    ConvertToSystem(file.encoding, raw.data(), file.unitsRead / SourceUnitBytes(file.encoding), text, lost);
    LogConversion(file.log, "to length %d ", text.size(), lost);
    return true;
  }
  text.assign(bytes + bytes / 100, '\0');
  if (!ReadRaw(text.data(), file)) {
    text.clear();
    return false;
  }
  text.resize(static_cast<std::size_t>(file.unitsRead));
  if (file.encoding.empty()) {
    int sequences = 0;
    if (IsValidUtf8(text.data(), text.size(), sequences) && sequences > 0) {
      file.encoding = "UTF-8";
      const std::string raw = std::move(text);
      ConvertToSystem(file.encoding, raw.data(), static_cast<std::int32_t>(raw.size()), text, lost);
      LogConversion(file.log, "to length %d ", text.size(), lost);
    }
    file.log += "(used UTF-8 detection) ";
  }
  return true;
}

bool ReadTextFile(const std::string& path, std::string& text, std::string* result, std::uint32_t* flags,
                  std::string_view forcedEncoding) {
  TextFile file;
  // The caller's flags are document flags; a document's last Load left the
  // previous file's mark bits there, and a UTF-16 bit on a byte file would
  // make its byte count a unit count. Each file is read for what it is.
  const std::uint32_t callerFlags = flags != nullptr ? *flags : 0;
  file.flags = (callerFlags & ~(kFileEncodingBits | kFileModeBits)) | kFileReading;
  const bool opened = OpenTextFile(path, file);
  std::string log = file.log;
  text.clear();
  bool read = false;
  if (opened) {
    if (file.unitSize == 1 && !forcedEncoding.empty() && forcedEncoding != file.encoding) {
      file.encoding = forcedEncoding;
      log += "forced " + file.encoding + " ";
    }
    file.bytesToRead = file.bytesLeft;
    read = ReadText(text, file);
    file.file.reset();
    if (!read) text.clear();
    if (log.empty()) log = file.encoding.empty() ? "ANSI " : file.encoding + " ";
    log += file.log;
    if (flags != nullptr) *flags = file.flags;
  }
  if (result != nullptr) *result = log;
  return opened && read;
}

}  // namespace vexaro::xml
