// Loading the firmware package for a front end: the descriptor and image
// blocks into the process-wide PackageInfo, and the checksum key block into
// the engine. Done once, before any update.
#pragma once

#include <string>

namespace vexaro::updater {

// Reads the package of file (empty: the running program file). False when
// the package is missing or invalid; PackageInfo is then left as it was.
bool LoadPackage(const std::string& file);

}  // namespace vexaro::updater
