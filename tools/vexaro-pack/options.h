// Command-line options of vexaro-pack: "--name value" pairs, optionally read
// from a file of "name = value" lines whose relative paths are taken from the
// file's own folder.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace vexaro::package {

struct Options {
  std::map<std::string, std::string> values;
  std::vector<std::string> positional;
  bool help = false;  // --help or -h: print the command's usage and do nothing else
};

// What went wrong with the options: wrong usage (exit 2), or an options file
// that cannot be read (exit 1, like any input that cannot be read).
struct OptionsFault {
  std::string message;  // empty: no fault
  bool usage = true;
};

// Parses argv (after the command word); `pathOptions` names the options whose
// values are file paths. Every option may be given once, on the command line
// or in the options file; the command line wins over the file.
OptionsFault ParseOptions(const std::vector<std::string>& args, const std::vector<std::string>& known,
                          const std::vector<std::string>& pathOptions, Options& out);

}  // namespace vexaro::package
