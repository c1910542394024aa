// Command-line options of vexaro-pack: "--name value" pairs, optionally read
// from a file of "name = value" lines whose relative paths are taken from the
// file's own folder.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace vexaro::pack {

struct Options {
  std::map<std::string, std::string> values;
  std::vector<std::string> positional;
};

// Parses argv (after the command word); `pathOptions` names the options whose
// values are file paths. Returns an error sentence or empty.
std::string ParseOptions(const std::vector<std::string>& args,
                         const std::vector<std::string>& known,
                         const std::vector<std::string>& pathOptions, Options& out);

}  // namespace vexaro::pack
