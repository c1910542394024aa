// vexaro-flash: installs the keyboard firmware package from a terminal,
// through the same connection and update code as the updater window.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/hid/hid.h"
#include "program_version.h"
#include "platform/sys/stop_requests.h"
#include "platform/sys/sys.h"
#include "sim/keyboard_set.h"
#include "tools/vexaro-flash/flash_all.h"
#include "tools/vexaro-flash/flash_options.h"
#include "tools/vexaro-flash/flash_run.h"
#include "updater/keyboard_lock.h"

namespace {

using namespace vexaro;

// The program shows no window: its report channel's hidden windows live on
// the off-screen display, whatever desktop there is.
void UseOffScreenDisplay() {
#ifdef _WIN32
  _putenv_s("VEXARO_DISPLAY", "headless");
#else
  setenv("VEXARO_DISPLAY", "headless", 1);
#endif
}

flash::OutputStyle StyleFor(const flash::FlashOptions& options) {
  if (options.json) return flash::OutputStyle::kJson;
  return sys::StandardOutputIsTerminal() ? flash::OutputStyle::kTerminal : flash::OutputStyle::kPlain;
}

}  // namespace

int main(int argc, char** argv) {
  flash::FlashOptions options;
  std::string error;
  if (!flash::ParseFlashOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
    std::fprintf(stderr, "vexaro-flash: %s\n", error.c_str());
    return flash::kExitUsage;
  }
  if (options.help) {
    std::fputs(flash::FlashManual(), stdout);
    return flash::kExitSuccess;
  }
  if (options.version) {
    std::printf("vexaro-flash %s\n", VEXARO_PROGRAM_VERSION);
    return flash::kExitSuccess;
  }
  UseOffScreenDisplay();
  sys::CatchStopRequests(flash::kExitStopped);
  flash::FlashView view(stdout, StyleFor(options));
  std::vector<std::shared_ptr<sim::SimKeyboard>> keyboards;
  if (options.simulated || hid::SimulationAskedByEnvironment()) {
    bool inUse = false;
    // A run for one port plugs only that keyboard: the others' state files
    // belong to the runs that drive them.
    error.clear();
    keyboards = sim::StartDemoKeyboards(sim::DemoFirmware::kStartVersion, options.device, error, &inUse);
    if (inUse) {
      if (!options.device.empty()) view.SetPort(options.device);
      view.Result(false, flash::kExitInUse, std::string(updater::kKeyboardInUseText) + " (" + error + ")");
      return flash::kExitInUse;
    }
    if (!error.empty()) {
      std::fprintf(stderr, "vexaro-flash: simulated keyboard: %s\n", error.c_str());
      return flash::kExitUsage;
    }
  } else if (!hid::SelectBackend(hid::BackendKind::kNative)) {
    std::fprintf(stderr, "vexaro-flash: the system's HID service is not available\n");
    return flash::kExitNoKeyboard;
  }
  if (options.all) {
    // The runs plug their own keyboards: these are let go, state files saved
    // and unlocked, before the first run starts.
    return flash::RunAll(options, view, flash::StandardInputAnswers(), [&keyboards] {
      for (const auto& keyboard : keyboards) keyboard->Unplug();
      keyboards.clear();
    });
  }
  const int code = flash::RunFlash(options, view, flash::StandardInputAnswers());
  for (const auto& keyboard : keyboards) keyboard->Unplug();
  return code;
}
