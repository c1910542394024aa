// Writing the package file through sys::OutputFile, which never writes into
// an existing file or through a link.
#include "tools/vexaro-pack/package_output.h"

#include <algorithm>
#include <vector>

#include "platform/sys/output_file.h"

namespace vexaro::package {
namespace {

// Pieces of the program copied at a time: a program file up to its 1 GiB
// limit never needs to be in memory whole.
constexpr std::uint64_t kCopyPiece = 1 << 20;

bool CopyProgram(const sys::InputFile& program, sys::OutputFile& out) {
  std::vector<std::uint8_t> piece(static_cast<std::size_t>(std::min(program.Size(), kCopyPiece)));
  for (std::uint64_t at = 0; at < program.Size(); at += piece.size()) {
    const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(piece.size(), program.Size() - at));
    const auto part = std::span(piece).first(n);
    if (!program.ReadAt(at, part) || !out.Write(part)) return false;
  }
  return true;
}

}  // namespace

void RefuseOutputOverInput(const Reader& reader, const std::string& configPath) {
  const std::string out = reader.Required("out");
  for (const char* option : {"internal", "external", "exe", "crc-key-file"}) {
    const auto input = reader.Get(option);
    if (input && sys::SameFile(out, *input)) {
      throw Refusal{"--out " + out + " is the file given as --" + option + " " + *input};
    }
  }
  if (!configPath.empty() && sys::SameFile(out, configPath)) {
    throw Refusal{"--out " + out + " is the file given as --config " + configPath};
  }
}

void WritePackageFile(const std::string& path, const sys::InputFile* program, std::span<const std::uint8_t> package) {
  sys::OutputFile out;
  if (!out.Create(path, program != nullptr)) {
    throw Refusal{"--out " + path + ": cannot create a temporary file beside it (" + out.Failure() + ")"};
  }
  if (program != nullptr && !CopyProgram(*program, out)) {
    throw Refusal{"--out " + path + ": copying the program file into " + out.TemporaryPath() + " failed" +
                  (out.Failure().empty() ? std::string(" (the program file could not be read)")
                                         : " (" + out.Failure() + ")")};
  }
  if (!out.Write(package)) {
    throw Refusal{"--out " + path + ": writing " + out.TemporaryPath() + " failed (" + out.Failure() + ")"};
  }
  if (!out.Commit()) throw Refusal{"--out " + path + ": cannot move the package into place (" + out.Failure() + ")"};
}

}  // namespace vexaro::package
