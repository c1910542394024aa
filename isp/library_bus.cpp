// The engine as libvexaro-isp: the library carries its own HID platform and
// clock, so a program using it reaches the simulated bus only through the
// library. When the simulation is selected (VEXARO_SIM=1) and nothing is on
// the bus at the first search, the library plugs in the demo keyboard with the
// VEXARO_SIM_* settings, as the updater does at start-up.
#include <memory>
#include <mutex>
#include <string>

#include "isp/prepare_bus.h"
#include "platform/hid/hid.h"
#include "platform/sys/sys.h"
#include "sim/start.h"

namespace vexaro::isp {
namespace {

// The keyboard lives until the library is unloaded, when it saves its state
// file like the updater's keyboard does at exit.
std::shared_ptr<sim::SimKeyboard>& DemoKeyboard() {
  static std::shared_ptr<sim::SimKeyboard> keyboard;
  return keyboard;
}

void StartDemoKeyboardIfBusEmpty() {
  if (hid::ActiveBackend() != hid::BackendKind::kSimulated) return;
  if (!hid::EnumerateInterfaces().empty()) return;
  std::string error;
  DemoKeyboard() = sim::StartDemoKeyboard(sim::DemoFirmware::kNone, error);
  if (!DemoKeyboard()) sys::DebugOutput("libvexaro-isp: simulated keyboard: " + error + "\n");
}

}  // namespace

void PrepareBus() {
  static std::once_flag once;
  std::call_once(once, StartDemoKeyboardIfBusEmpty);
}

}  // namespace vexaro::isp
