// vexaro-pack: makes firmware packages for the updater and inspects them.
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "platform/sys/sys.h"
#include "program_version.h"
#include "tools/vexaro-pack/commands.h"

namespace {

void Usage(std::FILE* to) {
  vexaro::package::PrintBuildUsage(to);
  vexaro::package::PrintInspectUsage(to);
  std::fputs("usage: vexaro-pack --help | --version\n", to);
  std::fputs("Each command takes --help. Exit codes: 0 done, 1 refused or invalid package, 2 wrong usage.\n", to);
}

int Dispatch(int argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0 ||
      vexaro::sys::IsPlatformHelpArgument(argv[1])) {
    Usage(argc < 2 ? stderr : stdout);
    return argc < 2 ? 2 : 0;
  }
  if (std::strcmp(argv[1], "--version") == 0) {
    std::printf("vexaro-pack %s\n", VEXARO_PROGRAM_VERSION);
    return 0;
  }
  std::vector<std::string> args(argv + 2, argv + argc);
  std::string command = argv[1];
  if (command == "build") return vexaro::package::BuildCommand(args);
  if (command == "inspect") return vexaro::package::InspectCommand(args);
  std::fprintf(stderr, "vexaro-pack: unknown command \"%s\"\n", command.c_str());
  Usage(stderr);
  return 2;
}

}  // namespace

// Inputs are limited to sizes a computer can hold; should memory run out all
// the same, the user learns that instead of the program just ending.
int main(int argc, char** argv) {
  try {
    return Dispatch(argc, argv);
  } catch (const std::bad_alloc&) {
    std::fputs("vexaro-pack: out of memory; nothing written\n", stderr);
    return 1;
  }
}
