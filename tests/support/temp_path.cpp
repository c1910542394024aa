#include "tests/support/temp_path.h"

#include <filesystem>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace vexaro::test_support {

std::string ProcessTempPath(const std::string& stem, const std::string& extension) {
#ifdef _WIN32
  const int pid = _getpid();
#else
  const int pid = static_cast<int>(getpid());
#endif
  return (std::filesystem::temp_directory_path() / (stem + "-" + std::to_string(pid) + extension)).string();
}

}  // namespace vexaro::test_support
