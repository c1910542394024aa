// Several demo keyboards on the simulated bus, as a repair shop or a line
// has them: VEXARO_SIM_KEYBOARDS=N plugs keyboards at ports 1..N, each with
// its own state file, trace and faults.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "sim/keyboard.h"
#include "sim/start.h"

namespace vexaro::sim {

inline constexpr int kMaxSimKeyboards = 16;

// VEXARO_SIM_KEYBOARDS: 1 when unset or empty. False with error naming the
// variable and the value for anything but a whole number from 1 to 16.
bool ReadKeyboardCount(int& count, std::string& error);

// Makes config (with the VEXARO_SIM_* settings applied) that of keyboard k of
// count: port k; with more than one keyboard the state file PATH.k and the
// trace file TRACE.k; VEXARO_SIM_FAULTS_<k> added to the faults every
// keyboard has. False with error naming the variable that was wrong.
bool ApplyKeyboardSlot(KeyboardConfig& config, int k, int count, std::string& error);

// Selects the simulated bus and plugs the demo keyboards 1..VEXARO_SIM_KEYBOARDS,
// or, when onlyPort is not empty, only the one at that port (none when no
// keyboard has it): a process drives its own keyboard and leaves the state
// files of the others to the processes that drive them. Empty with error
// when one could not be started; *stateInUse as StartSimulatedKeyboard.
std::vector<std::shared_ptr<SimKeyboard>> StartDemoKeyboards(DemoFirmware firmware, const std::string& onlyPort,
                                                             std::string& error, bool* stateInUse = nullptr);

}  // namespace vexaro::sim
