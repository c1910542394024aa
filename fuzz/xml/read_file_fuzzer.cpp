// Fuzz target: read the input as a document file through the encoding layer
// (marks, declarations, UTF-8 detection, conversion) and parse the result;
// then convert the input between a pair of encodings it chooses.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "platform/sys/codepage.h"
#include "xml/encodings.h"
#include "xml/xml_document.h"

namespace {

const std::string& ScratchPath() {
  static const std::string path =
      (std::filesystem::temp_directory_path() / ("vexaro_xml_fuzz_" + std::to_string(std::random_device{}()) + ".xml"))
          .string();
  return path;
}

int UnitSize(const char* encoding) {
  const std::string name = encoding;
  return name == "UTF-32" ? 4 : name == "UTF-16" ? 2 : 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vexaro;
  static constexpr unsigned kCodePages[] = {1252, 65001, 932, 28597};
  sys::OverrideSystemCodePage(kCodePages[size % 4]);
  std::FILE* file = std::fopen(ScratchPath().c_str(), "wb");
  if (file == nullptr) return 0;
  if (size > 0) std::fwrite(data, 1, size, file);
  std::fclose(file);

  xml::XmlDocument doc;
  doc.Load(ScratchPath());
  for (std::int32_t i = 1; i < doc.RecordCount(); ++i) (void)doc.ElementText(i);
  std::remove(ScratchPath().c_str());

  // Aligned copy, so the input can be read as 16- and 32-bit units.
  std::vector<std::uint32_t> source((size + 3) / 4);
  if (size > 0) std::memcpy(source.data(), data, size);
  // One pair of encodings per input, chosen by its first byte: every pair
  // is still reached, and an execution opens two converters instead of 72
  // (opening one loads and unloads the C library's module for it).
  const char* const encodings[] = {"UTF-8", "UTF-16", "UTF-32", "koi8-r", "shift_jis", ""};
  constexpr std::size_t kEncodings = sizeof encodings / sizeof encodings[0];
  const std::size_t pick = size > 0 ? data[0] : 0;
  const char* from = encodings[pick % kEncodings];
  const char* to = encodings[(pick / kEncodings) % kEncodings];
  const int units = static_cast<int>(size) / UnitSize(from);
  bool lost = false;
  const int measured = xml::ConvertText(from, to, source.data(), units, nullptr, 0, &lost);
  std::vector<std::uint32_t> out(static_cast<std::size_t>(measured) + 1);
  xml::ConvertText(from, to, source.data(), units, out.data(), measured, &lost);
  sys::OverrideSystemCodePage(0);
  return 0;
}
