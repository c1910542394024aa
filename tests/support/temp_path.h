// Names of the tests' files in the temporary folder. Two test programs may run
// the same test at once (parallel CTest, another checkout's run); each process
// keeps its own files, or one run's clean-up deletes another's package.
#pragma once

#include <string>

namespace vexaro::test_support {

// <temporary folder>/<stem>-<process id><extension>, e.g. ("vexaro-trace", ".txt").
std::string ProcessTempPath(const std::string& stem, const std::string& extension);

}  // namespace vexaro::test_support
