// vexaro-flash's work: load the package, find the keyboard, check it, run
// the update through the controller and read the new version back.
#pragma once

#include <optional>
#include <string>

#include "tools/vexaro-flash/flash_confirm.h"
#include "tools/vexaro-flash/flash_options.h"
#include "tools/vexaro-flash/flash_view.h"

namespace vexaro::flash {

// Runs on the calling thread, which becomes the user-interface thread (it
// pumps the messages of the report channel). The HID backend must be chosen
// before. Returns the exit code; the last thing written is the result.
// Before the first write a person at a terminal (answers) is asked to
// confirm, unless the options say --yes or --json.
int RunFlash(const FlashOptions& options, FlashView& view, const AnswerSource& answers = {});

// Says what is about to change ("Updating <change>") or, for a person at a
// terminal without --yes or --json, asks "Update <change>? [y/N] ". Nothing
// when the work may go on; otherwise the exit code, its result written.
std::optional<int> AskBeforeWriting(const std::string& change, const FlashOptions& options, const AnswerSource& answers,
                                    FlashView& view);

}  // namespace vexaro::flash
