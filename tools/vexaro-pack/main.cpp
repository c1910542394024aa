// vexaro-pack: makes firmware packages for the updater and inspects them.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/vexaro-pack/commands.h"

namespace {

void Usage(std::FILE* to) {
  vexaro::package::PrintBuildUsage(to);
  vexaro::package::PrintInspectUsage(to);
  std::fputs("Each command takes --help. Exit codes: 0 done, 1 refused or invalid package, 2 wrong usage.\n", to);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
    Usage(argc < 2 ? stderr : stdout);
    return argc < 2 ? 2 : 0;
  }
  std::vector<std::string> args(argv + 2, argv + argc);
  std::string command = argv[1];
  if (command == "build") return vexaro::package::BuildCommand(args);
  if (command == "inspect") return vexaro::package::InspectCommand(args);
  std::fprintf(stderr, "vexaro-pack: unknown command \"%s\"\n", command.c_str());
  Usage(stderr);
  return 2;
}
