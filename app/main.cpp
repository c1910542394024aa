// vexaro-updater: installs the firmware package appended to this program
// file on the keyboard. "--sim" (or VEXARO_SIM=1) runs it against the
// simulated demo keyboard; "--auto-update" presses the update button by
// itself and ends after the result; "-debug" is the window's own option;
// --help and --version answer without a window.
#include <cstdio>

#include "app/bus_choice.h"
#include "app/program_request.h"
#include "app/vexaro_app.h"
#include "platform/hid/hid.h"
#include "sim/keyboard.h"

namespace {

// The one application object, as the framework expects it before the entry.
vexaro::app::CVexaroApp theApp;

}  // namespace

int main(int argc, char** argv) {
  using namespace vexaro::app;
  const std::string name = ProgramName(argc > 0 ? argv[0] : "");
  switch (ReadProgramRequest(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc))) {
    case ProgramRequest::kHelp: ShowProgramText(ProgramUsage(name), name); return 0;
    case ProgramRequest::kVersion: ShowProgramText(ProgramVersionText(name), name); return 0;
    case ProgramRequest::kRun: break;
  }
  BusChoice choice = ChooseBus(argc, argv, vexaro::hid::SimulationAskedByEnvironment());
  std::shared_ptr<vexaro::sim::SimKeyboard> keyboard;
  std::string error;
  if (!StartBus(choice, keyboard, error)) {
    std::fprintf(stderr, "vexaro-updater: %s\n", error.c_str());
    return 1;
  }
  theApp.SetAutoUpdate(choice.autoUpdate);
  std::vector<char*> args;
  for (std::string& a : choice.arguments) args.push_back(a.data());
  const int code = vexaro::gui::AfxWinMain(static_cast<int>(args.size()), args.data());
  if (keyboard) keyboard->Unplug();
  return code;
}
