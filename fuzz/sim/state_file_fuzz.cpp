// Any bytes as the simulated keyboard's state file: the reader refuses them
// or gives exactly the flash size it was asked for. The first byte chooses
// that size (in 64-byte units, so at most 16 KiB: the reader's checks do not
// depend on the size, and small flashes keep the executions fast), the rest
// is the file.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "sim/state_file.h"

namespace {

constexpr std::size_t kSizeBytes = 1;
constexpr std::uint32_t kSizeUnit = 64;

// In memory where the system has such a folder: a file is written for
// every execution.
const std::string& FilePath() {
  static const std::string path = [] {
    std::error_code error;
    const std::filesystem::path shm = "/dev/shm";
    const auto folder = std::filesystem::is_directory(shm, error) ? shm : std::filesystem::temp_directory_path();
    return (folder / ("vexaro-state-fuzz-" + std::to_string(std::rand()) + ".bin")).string();
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < kSizeBytes) return 0;
  const std::uint32_t expected = data[0] * kSizeUnit;
  std::FILE* file = std::fopen(FilePath().c_str(), "wb");
  if (file == nullptr) return 0;
  std::fwrite(data + kSizeBytes, 1, size - kSizeBytes, file);
  std::fclose(file);
  vexaro::sim::SavedState state;
  bool exists = false;
  std::string error;
  if (vexaro::sim::LoadStateFile(FilePath(), expected, state, exists, error)) {
    if (!exists || state.flash.size() != expected) std::abort();
  } else if (error.empty()) {
    std::abort();  // a refusal always says why
  }
  return 0;
}
