// Where vexaro-pack build puts its package: never over one of its own
// inputs, and written whole or not at all, leaving an existing output as it
// was on any failure.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "platform/sys/input_file.h"
#include "tools/vexaro-pack/option_values.h"

namespace vexaro::package {

// Refuses an --out that names an input file, by the same name or another
// one (a symbolic or a hard link); `configPath` is the options file or empty.
void RefuseOutputOverInput(const Reader& reader, const std::string& configPath);

// Writes the program (read from `program` when it is open, in pieces) and
// the package behind it to a new temporary file, renamed over `path` at the end.
void WritePackageFile(const std::string& path, const sys::InputFile* program, std::span<const std::uint8_t> package);

}  // namespace vexaro::package
