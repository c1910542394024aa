// The simulated keyboard's state file: its mode and its whole flash, so that
// one run of the updater sees what the last one left behind.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vexaro::sim {

struct SavedState {
  bool inLoader = false;
  std::vector<std::uint8_t> flash;
};

// exists is false (and the result true) when there is no file. False with
// error naming the file and the field for a file that cannot be used,
// including one whose flash size differs from expectedFlashSize.
bool LoadStateFile(const std::string& path, std::uint32_t expectedFlashSize, SavedState& state,
                   bool& exists, std::string& error);
// Writes a new file beside the old one and renames it over, so a crash never
// leaves half a state.
bool SaveStateFile(const std::string& path, const SavedState& state, std::string& error);

}  // namespace vexaro::sim
