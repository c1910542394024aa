// Loading the firmware package for a front end: the descriptor and image
// blocks into the process-wide PackageInfo, and the checksum key block into
// the engine, once every check that needs no keyboard has passed. Done once,
// before any update.
#pragma once

#include <string>

namespace vexaro::updater {

struct PackageLoad {
  bool ok = false;
  // Why the package cannot be installed, naming the file; empty when ok.
  std::string problem;
  // The file itself could not be read (not found, a folder, permission
  // denied, not a regular file), as opposed to a package that is damaged.
  bool fileProblem = false;
  bool hasDigest = false;  // the package's digest record was checked
};

// Reads and checks the package of file (empty: the running program file).
// On failure PackageInfo is left as it was.
PackageLoad LoadPackage(const std::string& file);

// Empty unless the loaded package is a demo package and the HID backend in
// use is not the simulated bus; then the sentence that refuses it. Asked
// before the first report goes to a keyboard.
std::string DemoPackageRefusal();

}  // namespace vexaro::updater
