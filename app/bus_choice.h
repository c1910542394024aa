// Chooses the HID bus for the program at start-up: the simulated bus with the
// demo keyboard plugged in when asked for (the --sim option or VEXARO_SIM=1),
// the system's own HID service otherwise.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vexaro::sim {
class SimKeyboard;
}

namespace vexaro::app {

inline constexpr std::string_view kSimOption = "--sim";

struct BusChoice {
  bool simulated = false;
  bool autoUpdate = false;             // the unattended demo run (app/auto_update.h)
  std::vector<std::string> arguments;  // argv without the program's own options
};

// Takes the program's own options (--sim, --auto-update) out of the
// arguments, keeping the program name first; what is left is the window's
// command line.
// environmentAsksSimulation: hid::SimulationAskedByEnvironment().
BusChoice ChooseBus(int argc, char** argv, bool environmentAsksSimulation);

// Selects the bus; with the simulation also starts the demo keyboard (kept
// alive by the returned pointer). False with error saying what went wrong.
bool StartBus(const BusChoice& choice, std::shared_ptr<sim::SimKeyboard>& keyboard, std::string& error);

}  // namespace vexaro::app
