// Command-line options of vexaro-pack: "--name value" pairs, optionally read
// from a file of "name = value" lines whose relative paths are taken from the
// file's own folder.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace vexaro::package {

struct Options {
  std::map<std::string, std::string> values;
  std::vector<std::string> positional;
  std::set<std::string> flags;  // options without a value, given on the command line
  std::string configPath;       // the --config file; empty when none was given
  bool help = false;  // --help or -h: print the command's usage and do nothing else
};

// What went wrong with the options: wrong usage (exit 2), or an options file
// that cannot be read (exit 1, like any input that cannot be read).
struct OptionsFault {
  std::string message;  // empty: no fault
  bool usage = true;
};

// The options a command takes.
struct CommandOptions {
  std::vector<std::string> known;        // "--name value", also "name = value" in the options file
  std::vector<std::string> pathOptions;  // those whose values are file paths
  std::vector<std::string> flags;        // "--name" alone, on the command line only
  std::vector<std::string> fileFlags;    // "--name" alone, or "name = yes" in the options file
};

// Options files larger than this are refused unread: an options file is a
// few dozen short lines.
inline constexpr std::uint64_t kMaxOptionsFileBytes = 1 << 20;

// Parses argv (after the command word). Every option may be given once, on
// the command line or in the options file; the command line wins over the file.
OptionsFault ParseOptions(const std::vector<std::string>& args, const CommandOptions& command, Options& out);

}  // namespace vexaro::package
