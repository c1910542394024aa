// vexaro-flash --all: every keyboard of the package's kind updated at once,
// one vexaro-flash --device PORT --json per keyboard, watched from here.
#pragma once

#include <functional>

#include "tools/vexaro-flash/flash_confirm.h"
#include "tools/vexaro-flash/flash_options.h"
#include "tools/vexaro-flash/flash_view.h"

namespace vexaro::flash {

// Loads the package, finds the keyboards' ports, calls releaseBus (which
// lets go of simulated keyboards, so that their runs can take them), starts
// the runs and shows them until all have ended. Opens no HID device and
// takes no keyboard's lock: each run does that for its own keyboard. A
// person at a terminal (answers) confirms once for all keyboards. Returns 0
// when every keyboard was updated, otherwise WorstExitCode of the runs.
int RunAll(const FlashOptions& options, FlashView& view, const AnswerSource& answers,
           const std::function<void()>& releaseBus);

}  // namespace vexaro::flash
