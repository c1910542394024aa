// vexaro-flash --all on the simulated bus: the demo package installed on 1,
// 2 and 4 keyboards at once under the USB timing model, on the real clock.
// Each keyboard is updated by a process of its own, so four should take
// hardly longer than one; the wall time of each run is the measure.
#include <benchmark/benchmark.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// The whole run, children and all; false unless every keyboard was updated.
bool UpdateAll(int keyboards) {
  const std::string command = "env VEXARO_SIM=1 VEXARO_SIM_TIMING=usb VEXARO_CLOCK_SCALE=1 VEXARO_SIM_KEYBOARDS=" +
                              std::to_string(keyboards) + " " + VEXARO_FLASH + " --all --json " +
                              VEXARO_DEMO_PACKAGE + " >/dev/null 2>&1";
  const int status = std::system(command.c_str());
  return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void BM_UpdateAllKeyboards(benchmark::State& state) {
  const int keyboards = static_cast<int>(state.range(0));
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    if (!UpdateAll(keyboards)) {
      state.SkipWithError("vexaro-flash --all did not update every keyboard");
      return;
    }
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  state.counters["keyboards"] = keyboards;
}
BENCHMARK(BM_UpdateAllKeyboards)->Arg(1)->Arg(2)->Arg(4)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
