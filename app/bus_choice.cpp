#include "app/bus_choice.h"

#include "app/auto_update.h"
#include "platform/hid/hid.h"
#include "sim/start.h"

namespace vexaro::app {

BusChoice ChooseBus(int argc, char** argv, bool environmentAsksSimulation) {
  BusChoice choice;
  choice.simulated = environmentAsksSimulation;
  for (int i = 0; i < argc; ++i) {
    if (i > 0 && argv[i] == kSimOption) {
      choice.simulated = true;
      continue;
    }
    if (i > 0 && argv[i] == kAutoUpdateOption) {
      choice.autoUpdate = true;
      continue;
    }
    choice.arguments.emplace_back(argv[i]);
  }
  return choice;
}

bool StartBus(const BusChoice& choice, std::shared_ptr<sim::SimKeyboard>& keyboard, std::string& error) {
  if (!choice.simulated) {
    if (hid::SelectBackend(hid::BackendKind::kNative)) return true;
    error = "the simulated HID bus is already in use";
    return false;
  }
  keyboard = sim::StartDemoKeyboard(sim::DemoFirmware::kStartVersion, error);
  return keyboard != nullptr;
}

}  // namespace vexaro::app
