// The temporary name beside an output file, shared by both systems.
#include <cstdio>
#include <filesystem>
#include <random>

#include "platform/sys/output_file.h"

namespace vexaro::sys {

// Random rather than the process id: two runs on different computers may
// write into one shared folder, and the exclusive create settles the rest.
std::string TemporaryNameBeside(const std::string& target) {
  std::random_device device;
  char suffix[32];
  std::snprintf(suffix, sizeof suffix, ".%08x%08x.partial", static_cast<unsigned>(device()),
                static_cast<unsigned>(device()));
  const std::filesystem::path path(target);
  return (path.parent_path() / (path.filename().string() + suffix)).string();
}

}  // namespace vexaro::sys
