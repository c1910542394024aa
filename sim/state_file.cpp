// State file: three text lines ("vexaro-sim-keyboard 1", "mode ap|loader",
// "flash-size N") and then the flash bytes, raw.
#include "sim/state_file.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace vexaro::sim {
namespace {

constexpr const char* kMagic = "vexaro-sim-keyboard 1";
constexpr std::uint32_t kMaxFlashSize = 16u * 1024 * 1024;

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool ReadLine(std::FILE* f, std::string& line) {
  line.clear();
  for (int c; (c = std::fgetc(f)) != EOF;) {
    if (c == '\n') return true;
    if (line.size() > 64) return false;
    line.push_back(static_cast<char>(c));
  }
  return false;
}

}  // namespace

bool LoadStateFile(const std::string& path, std::uint32_t expectedFlashSize, SavedState& state,
                   bool& exists, std::string& error) {
  File f(std::fopen(path.c_str(), "rb"));
  exists = f != nullptr;
  if (!f) return true;
  std::string line;
  if (!ReadLine(f.get(), line) || line != kMagic) {
    error = path + ": first line is not \"" + kMagic + "\"";
    // A text-mode write on Windows turns every LF into CR LF, in the raw
    // flash bytes too, so such a file cannot be taken with the CRs dropped.
    if (line == std::string(kMagic) + '\r') error += " (its lines end in CR LF: written as text, not binary)";
    return false;
  }
  if (!ReadLine(f.get(), line) || (line != "mode ap" && line != "mode loader")) {
    error = path + ": field mode must be \"ap\" or \"loader\"";
    return false;
  }
  state.inLoader = line == "mode loader";
  unsigned long size = 0;
  if (!ReadLine(f.get(), line) || std::sscanf(line.c_str(), "flash-size %lu", &size) != 1 ||
      size == 0 || size > kMaxFlashSize) {
    error = path + ": field flash-size is missing or out of range";
    return false;
  }
  if (size != expectedFlashSize) {
    error = path + ": field flash-size is " + std::to_string(size) + ", the keyboard has " +
            std::to_string(expectedFlashSize);
    return false;
  }
  state.flash.assign(size, 0xFF);
  if (std::fread(state.flash.data(), 1, size, f.get()) != size) {
    error = path + ": flash contents are shorter than flash-size";
    return false;
  }
  return true;
}

bool SaveStateFile(const std::string& path, const SavedState& state, std::string& error) {
  const std::string temporary = path + ".new";
  {
    File f(std::fopen(temporary.c_str(), "wb"));
    if (!f) {
      error = temporary + ": cannot be created";
      return false;
    }
    std::fprintf(f.get(), "%s\nmode %s\nflash-size %zu\n", kMagic, state.inLoader ? "loader" : "ap",
                 state.flash.size());
    bool ok = std::fwrite(state.flash.data(), 1, state.flash.size(), f.get()) == state.flash.size();
    ok = std::fflush(f.get()) == 0 && ok;
    if (!ok) {
      error = temporary + ": write failed";
      return false;
    }
  }
  std::remove(path.c_str());  // rename does not replace an existing file on Windows
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    error = path + ": cannot be replaced";
    return false;
  }
  return true;
}

}  // namespace vexaro::sim
