// Start of the main window, measured once per process: from the entry of main
// (a few milliseconds after the process starts) to the end of the window's
// first paint, with the demo package and the simulated demo keyboard, on the
// display VEXARO_DISPLAY chooses (headless, or SDL under Xvfb). Prints one line:
//   first_paint_ms=<ms> rss_mb=<resident MB at first paint>
// and ends. scripts/bench.sh runs it several times and takes the median.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "app/bus_choice.h"
#include "app/main_window.h"
#include "package/package.h"
#include "platform/gui/window.h"
#include "sim/keyboard.h"
#include "ui/resource_ids.h"

namespace {

using Clock = std::chrono::steady_clock;

// The main window that notes the end of its first paint.
class TimedWindow : public vexaro::app::CVexaroDlg {
 public:
  Clock::time_point firstPaint{};
  bool painted = false;

 protected:
  void OnPaint() override {
    CVexaroDlg::OnPaint();
    if (!painted) {
      painted = true;
      firstPaint = Clock::now();
    }
  }
};

// Resident set size from /proc, in MB; 0 where there is no /proc.
double ResidentMb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const Clock::time_point start = Clock::now();
  if (argc < 2) {
    std::fprintf(stderr, "usage: window_start_probe PACKAGE_FILE\n");
    return 2;
  }
  vexaro::package::SetPackageFile(argv[1]);
  vexaro::app::BusChoice choice;
  choice.simulated = true;
  std::shared_ptr<vexaro::sim::SimKeyboard> keyboard;
  std::string error;
  if (!vexaro::app::StartBus(choice, keyboard, error)) {
    std::fprintf(stderr, "window_start_probe: %s\n", error.c_str());
    return 1;
  }
  auto window = std::make_unique<TimedWindow>();
  if (!window->Create(vexaro::ui::kIddMainWindow)) {
    std::fprintf(stderr, "window_start_probe: the main window was not created\n");
    return 1;
  }
  const Clock::time_point limit = start + std::chrono::seconds(10);
  while (!window->painted && Clock::now() < limit) vexaro::gui::PumpPendingMessages();
  if (!window->painted) {
    std::fprintf(stderr, "window_start_probe: no paint within 10 s\n");
    return 1;
  }
  const double ms = std::chrono::duration<double, std::milli>(window->firstPaint - start).count();
  std::printf("first_paint_ms=%.1f rss_mb=%.1f\n", ms, ResidentMb());
  window->DestroyWindow();
  window.reset();
  if (keyboard) keyboard->Unplug();
  return 0;
}
