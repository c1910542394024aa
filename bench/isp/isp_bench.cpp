// Program-and-verify throughput of the engine against the simulated loader:
// with zero latency (what the host side costs per report) and under the USB
// timing model (how close a 32 KiB update comes to one report per frame).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "isp/engine.h"
#include "isp/isp_api.h"
#include "platform/hid/hid.h"
#include "platform/sim/sim_bus.h"
#include "platform/sys/sys.h"
#include "sim/keyboard.h"

namespace {

using namespace vexaro;

constexpr std::uint32_t kImageBytes = 32 * 1024;
constexpr std::uint32_t kStart = 0x0C00;
constexpr double kReportsPerTransfer = (kImageBytes + 51) / 52;

std::shared_ptr<sim::SimKeyboard> PlugKeyboard(sim::Timing timing) {
  hid::SelectBackend(hid::BackendKind::kSimulated);
  hid::sim::TheBus().Reset();
  isp::ResetEngine();
  sim::KeyboardConfig config;
  config.timing = timing;
  config.flashSize = 64 * 1024;
  std::string error;
  auto keyboard = sim::SimKeyboard::Create(config, error);
  if (keyboard) keyboard->PlugIn();
  return keyboard;
}

std::vector<std::uint8_t> Image() {
  std::vector<std::uint8_t> image(kImageBytes);
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 131 + 7);
  return image;
}

void ProgramAndVerify(benchmark::State& state, const std::vector<std::uint8_t>& image) {
  const std::uint32_t end = kStart + kImageBytes - 1;
  if (ISP_WriteProgramB(kStart, end, 1, image.data()) != 0 ||
      ISP_WriteProgramB(kStart, end, 0, image.data()) != 0) {
    state.SkipWithError("program or verify failed");
  }
}

void BM_ProgramVerifyZeroLatency(benchmark::State& state) {
  auto keyboard = PlugKeyboard(sim::Timing::Zero());
  const auto image = Image();
  for (auto _ : state) ProgramAndVerify(state, image);
  const double reports = 2 * kReportsPerTransfer * static_cast<double>(state.iterations());
  state.counters["reports_per_s"] = benchmark::Counter(reports, benchmark::Counter::kIsRate);
  state.counters["cpu_s_per_report"] =
      benchmark::Counter(reports, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  keyboard->Unplug();
}
BENCHMARK(BM_ProgramVerifyZeroLatency)->Unit(benchmark::kMillisecond);

// One frame per report is the bound: 2 x 631 reports need at least 1262 ms.
void BM_ProgramVerifyUsbTiming(benchmark::State& state) {
  sys::SetClockScale(1.0);
  auto keyboard = PlugKeyboard(sim::Timing::Usb());
  const auto image = Image();
  for (auto _ : state) ProgramAndVerify(state, image);
  const double boundMs = 2 * kReportsPerTransfer * sim::Timing::Usb().frameMs;
  state.counters["bound_ms"] = boundMs;
  state.counters["reports"] = 2 * kReportsPerTransfer;
  keyboard->Unplug();
}
BENCHMARK(BM_ProgramVerifyUsbTiming)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
