// Reading "--name value" arguments and "name = value" options files.
#include "tools/vexaro-pack/options.h"

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "platform/sys/input_file.h"
#include "platform/sys/sys.h"

namespace vexaro::package {
namespace {

bool Contains(const std::vector<std::string>& list, const std::string& name) {
  return std::find(list.begin(), list.end(), name) != list.end();
}

std::string Trim(const std::string& s) {
  auto begin = s.find_first_not_of(" \t\r");
  if (begin == std::string::npos) return {};
  auto end = s.find_last_not_of(" \t\r");
  return s.substr(begin, end - begin + 1);
}

OptionsFault Unreadable(const std::string& path, const std::string& why) {
  return {"--config " + path + ": cannot read the options file (" + why + ")", false};
}

// The options file's text, read as any input: without blocking on anything
// but a regular file, and refused unread when it is too large to be one.
OptionsFault ReadConfigText(const std::string& path, std::string& text) {
  sys::InputFile file;
  if (const sys::FileProblem problem = file.Open(path); problem != sys::FileProblem::None) {
    return Unreadable(path, sys::FileProblemText(problem));
  }
  if (file.Size() > kMaxOptionsFileBytes) return Unreadable(path, "it is larger than 1 MiB");
  text.resize(static_cast<std::size_t>(file.Size()));
  if (!file.ReadAt(0, std::span(reinterpret_cast<std::uint8_t*>(text.data()), text.size()))) {
    return Unreadable(path, "a read failed");
  }
  return {};
}

OptionsFault ReadConfig(const std::string& path, const CommandOptions& command, Options& out) {
  std::string text;
  if (OptionsFault fault = ReadConfigText(path, text); !fault.message.empty()) return fault;
  std::istringstream in(text);
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  std::map<std::string, int> lineOf;  // options the file has given, with their lines
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    std::string trimmed = Trim(line);
    if (trimmed.empty() || trimmed[0] == '#') continue;
    auto eq = trimmed.find('=');
    std::string where = path + " line " + std::to_string(number);
    if (eq == std::string::npos) return {where + ": expected \"name = value\""};
    std::string name = Trim(trimmed.substr(0, eq)), value = Trim(trimmed.substr(eq + 1));
    const bool flag = Contains(command.fileFlags, name);
    if (!flag && !Contains(command.known, name)) return {where + ": unknown option \"" + name + "\""};
    if (auto [first, added] = lineOf.emplace(name, number); !added) {
      return {where + ": option \"" + name + "\" given twice (first on line " + std::to_string(first->second) + ")"};
    }
    if (flag && value != "yes" && value != "no") {
      return {where + ": option \"" + name + "\" takes yes or no, not \"" + value + "\""};
    }
    if (flag) {
      if (value == "yes") out.flags.insert(name);
      continue;
    }
    if (Contains(command.pathOptions, name) && std::filesystem::path(value).is_relative()) {
      value = (folder / value).string();
    }
    out.values.emplace(name, value);  // the command line wins over the file
  }
  return {};
}

}  // namespace

OptionsFault ParseOptions(const std::vector<std::string>& args, const CommandOptions& command, Options& out) {
  bool configGiven = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h" || sys::IsPlatformHelpArgument(arg)) {
      out.help = true;
      continue;
    }
    if (arg.rfind("--", 0) != 0) {
      out.positional.push_back(arg);
      continue;
    }
    std::string name = arg.substr(2);
    if (Contains(command.flags, name) || Contains(command.fileFlags, name)) {
      if (!out.flags.insert(name).second) return {"option " + arg + " given twice"};
      continue;
    }
    if (name != "config" && !Contains(command.known, name)) return {"unknown option " + arg};
    if (i + 1 >= args.size()) return {"option " + arg + " needs a value"};
    std::string value = args[++i];
    if (name == "config" ? configGiven : !out.values.emplace(name, value).second) {
      return {"option " + arg + " given twice"};
    }
    if (name == "config") out.configPath = value, configGiven = true;
  }
  if (out.help || !configGiven) return {};
  return ReadConfig(out.configPath, command, out);
}

}  // namespace vexaro::package
