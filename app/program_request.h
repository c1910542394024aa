// What the updater program answers without opening its window: --help (-h,
// and /? on Windows) and --version, anywhere on the command line. A window
// program on Windows writes to the console it was started from, or shows
// the text in a message box when there is none.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vexaro::app {

enum class ProgramRequest { kRun, kHelp, kVersion };

// arguments: the command line without the program name. Help wins over
// the version when both are asked for.
ProgramRequest ReadProgramRequest(const std::vector<std::string>& arguments);

// The program's name as started (argv[0] without its folder and ".exe"),
// so that vexaro-updater-demo calls itself so; "vexaro-updater" when empty.
std::string ProgramName(std::string_view argv0);

std::string ProgramUsage(const std::string& name);
std::string ProgramVersionText(const std::string& name);

// The answer on standard output (the parent's console on Windows), or in a
// message box with caption when the program has no console to write to.
void ShowProgramText(const std::string& text, const std::string& caption);

}  // namespace vexaro::app
