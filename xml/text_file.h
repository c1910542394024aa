// Reading a document file into text in the system code page: the encoding is
// found from a byte-order mark, a declaration or a UTF-8 test, and a short
// log of what was done is kept for diagnostics.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace vexaro::xml {

// TextFile flags. Other bits are the caller's document flags, carried through.
inline constexpr std::uint32_t kFileUtf16Le = 0x01;
inline constexpr std::uint32_t kFileUtf8Bom = 0x04;
inline constexpr std::uint32_t kFileReading = 0x10;
inline constexpr std::uint32_t kFileWriting = 0x20;
inline constexpr std::uint32_t kFileAppending = 0x40;
inline constexpr std::uint32_t kFileUtf16Be = 0x80;

// The bits a file's own content decides (its byte-order mark), and the open
// modes: neither may come from the caller or from an earlier file.
inline constexpr std::uint32_t kFileEncodingBits = kFileUtf16Le | kFileUtf8Bom | kFileUtf16Be;
inline constexpr std::uint32_t kFileModeBits = kFileReading | kFileWriting | kFileAppending;

// Files beyond this size are refused: sizes and offsets are 32-bit.
inline constexpr long kMaxFileBytes = 0x3FFFFFFF;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// One file being read.
struct TextFile {
  std::unique_ptr<std::FILE, FileCloser> file;
  std::uint32_t flags = 0;
  std::int32_t bytesLeft = 0;    // file length minus the byte-order mark
  std::int32_t bytesToRead = 0;
  std::int32_t unitSize = 1;     // 2 for UTF-16
  std::int32_t unitsRead = 0;    // after null removal
  std::string log;
  std::string encoding;          // empty: the system code page
};

// Opens and reads `path` into `text` (system code page). `result` receives the
// reading log, `flags` (in: document flags, out: the reading flags) and
// `forcedEncoding` overrides a detected byte encoding. True when the file
// was opened and read; on failure `text` is empty and the log says why.
bool ReadTextFile(const std::string& path, std::string& text, std::string* result = nullptr,
                  std::uint32_t* flags = nullptr, std::string_view forcedEncoding = {});

// Opens the file and detects its encoding.
bool OpenTextFile(const std::string& path, TextFile& file);
// Reads file.bytesToRead bytes into `buffer` (room for them), removes zero
// units and swaps big-endian UTF-16.
bool ReadRaw(char* buffer, TextFile& file);
// Reads the rest of the file and converts it to the system code page.
bool ReadText(std::string& text, TextFile& file);

// The system's one-line message for the last error.
std::string SystemErrorText();

}  // namespace vexaro::xml
