// Which keyboards one run of vexaro-flash works on: the command line's
// --device and --all, and the choice among the keyboards found by port.
#pragma once

#include <string>
#include <vector>

#include "tools/vexaro-flash/flash_options.h"
#include "tools/vexaro-flash/flash_view.h"

namespace vexaro::flash {

// Takes --all, --device PORT and --device=PORT out of arguments into options;
// the rest goes to remaining. False with error for a --device without PORT,
// --device twice, or --all with --device or --list.
bool TakeKeyboardChoice(const std::vector<std::string>& arguments, FlashOptions& options,
                        std::vector<std::string>& remaining, std::string& error);

// With the package loaded: the ports this run works on, the process then
// following the one it drives (hid::FollowPort). --device: that port, or exit
// 3 when no keyboard of the package's kind is there; --list: every port
// found; an update: the one keyboard found, or exit 5 when there are
// several. Returns -1 to go on, else the exit code (the result is written).
int ChooseKeyboards(const FlashOptions& options, FlashView& view, std::vector<std::string>& ports);

// The exit status that speaks for several keyboards: 0 when all are 0, else
// the worst of codes in the order of WorstFirst.
int WorstExitCode(const std::vector<int>& codes);

}  // namespace vexaro::flash
