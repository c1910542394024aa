// Reading "--name value" arguments and "name = value" options files.
#include "tools/vexaro-pack/options.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

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

OptionsFault ReadConfig(const std::string& path, const std::vector<std::string>& known,
                        const std::vector<std::string>& pathOptions, Options& out) {
  std::error_code error;
  const auto status = std::filesystem::status(path, error);
  if (error) return Unreadable(path, error.message());
  if (std::filesystem::is_directory(status)) return Unreadable(path, "it is a folder");
  std::ifstream in(path);
  if (!in) return Unreadable(path, "it cannot be opened");
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  std::map<std::string, int> lineOf;  // options the file has given, with their lines
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    std::string text = Trim(line);
    if (text.empty() || text[0] == '#') continue;
    auto eq = text.find('=');
    std::string where = path + " line " + std::to_string(number);
    if (eq == std::string::npos) return {where + ": expected \"name = value\""};
    std::string name = Trim(text.substr(0, eq)), value = Trim(text.substr(eq + 1));
    if (!Contains(known, name)) return {where + ": unknown option \"" + name + "\""};
    if (auto [first, added] = lineOf.emplace(name, number); !added) {
      return {where + ": option \"" + name + "\" given twice (first on line " + std::to_string(first->second) + ")"};
    }
    if (Contains(pathOptions, name) && std::filesystem::path(value).is_relative()) {
      value = (folder / value).string();
    }
    out.values.emplace(name, value);  // the command line wins over the file
  }
  if (in.bad()) return Unreadable(path, "a read failed");
  return {};
}

}  // namespace

OptionsFault ParseOptions(const std::vector<std::string>& args, const std::vector<std::string>& known,
                          const std::vector<std::string>& pathOptions, Options& out) {
  std::string config;
  bool configGiven = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      out.help = true;
      continue;
    }
    if (arg.rfind("--", 0) != 0) {
      out.positional.push_back(arg);
      continue;
    }
    std::string name = arg.substr(2);
    if (name != "config" && !Contains(known, name)) return {"unknown option " + arg};
    if (i + 1 >= args.size()) return {"option " + arg + " needs a value"};
    std::string value = args[++i];
    if (name == "config" ? configGiven : !out.values.emplace(name, value).second) {
      return {"option " + arg + " given twice"};
    }
    if (name == "config") config = value, configGiven = true;
  }
  if (out.help || !configGiven) return {};
  return ReadConfig(config, known, pathOptions, out);
}

}  // namespace vexaro::package
