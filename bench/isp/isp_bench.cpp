// Program-and-verify of the engine against the simulated loader: with zero
// latency (what the host side costs per report) and under the USB timing model
// for images of 1 to 256 KiB, against the protocol's own minimum there.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <limits>
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

constexpr std::uint32_t kStart = 0x0C00;
constexpr std::uint32_t kPayload = 52;          // data bytes per report
constexpr std::uint32_t kReportsPerAck = 60;    // acknowledgements fetched every 60 reports
constexpr std::uint32_t kPauseBeforeFinalAck = 10;

std::shared_ptr<sim::SimKeyboard> PlugKeyboard(sim::Timing timing) {
  hid::SelectBackend(hid::BackendKind::kSimulated);
  simbus::TheBus().Reset();
  isp::ResetEngine();
  sim::KeyboardConfig config;
  config.timing = timing;
  config.flashSize = 512 * 1024;
  std::string error;
  auto keyboard = sim::SimKeyboard::Create(config, error);
  if (keyboard) keyboard->PlugIn();
  return keyboard;
}

std::vector<std::uint8_t> Image(std::uint32_t bytes) {
  std::vector<std::uint8_t> image(bytes);
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 131 + 7);
  return image;
}

std::uint32_t Reports(std::uint32_t bytes) { return (bytes + kPayload - 1) / kPayload; }

// The least time one transfer can take on the modelled bus: the ready probe
// (flush GET_REPORT, probe report, status GET_REPORT), one frame per data
// report, one GET_REPORT per acknowledgement batch, the pause before the
// final acknowledgements and their GET_REPORT.
double MinimumTransferMs(std::uint32_t bytes, const sim::Timing& t) {
  const std::uint32_t reports = Reports(bytes);
  return 2.0 * t.getReportMs + t.frameMs + reports * static_cast<double>(t.frameMs) +
         (reports / kReportsPerAck) * static_cast<double>(t.getReportMs) + kPauseBeforeFinalAck + t.getReportMs;
}

bool ProgramAndVerify(const std::vector<std::uint8_t>& image) {
  const auto end = static_cast<std::uint32_t>(kStart + image.size() - 1);
  return ISP_WriteProgramB(kStart, end, 1, image.data()) == 0 && ISP_WriteProgramB(kStart, end, 0, image.data()) == 0;
}

double ThreadCpuMs() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

// The calling thread's CPU and its blocking waits so far: every sleep that
// gives up the core counts as one voluntary context switch.
struct ThreadUse {
  double cpuMs = 0;
  double waits = 0;
};

ThreadUse ThreadUseNow() {
  rusage usage{};
  getrusage(RUSAGE_THREAD, &usage);
  return {ThreadCpuMs(), static_cast<double>(usage.ru_nvcsw)};
}

ThreadUse operator-(const ThreadUse& a, const ThreadUse& b) { return {a.cpuMs - b.cpuMs, a.waits - b.waits}; }
ThreadUse operator+(const ThreadUse& a, const ThreadUse& b) { return {a.cpuMs + b.cpuMs, a.waits + b.waits}; }

// Frames as the simulated keyboard spends them: each a sleep to the next
// deadline on the clock's millisecond grid, with no report. Returns the
// whole frames by which the wake-ups came late, which a transfer would lose.
std::uint64_t SpendFrames(int frames) {
  std::uint64_t lost = 0;
  for (int i = 0; i < frames; ++i) {
    const std::uint64_t deadline = sys::NowMs() + 1;
    sys::SleepUntilMs(deadline);
    lost += sys::NowMs() - deadline;
  }
  return lost;
}

void BM_ProgramVerifyZeroLatency(benchmark::State& state) {
  auto keyboard = PlugKeyboard(sim::Timing::Zero());
  const auto image = Image(32 * 1024);
  for (auto _ : state)
    if (!ProgramAndVerify(image)) state.SkipWithError("program or verify failed");
  const double reports = 2.0 * Reports(32 * 1024) * static_cast<double>(state.iterations());
  state.counters["reports_per_s"] = benchmark::Counter(reports, benchmark::Counter::kIsRate);
  state.counters["cpu_s_per_report"] =
      benchmark::Counter(reports, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  keyboard->Unplug();
}
BENCHMARK(BM_ProgramVerifyZeroLatency)->Unit(benchmark::kMillisecond);

// Clock scale 1: program-clock time, wall time and the CPU the calling thread
// spends (the engine; the simulated loader runs inside its writes and reads)
// for program + verify of range(0) KiB. Around each iteration, outside the
// timed part, the thread spends frames with no report (a quarter as many as
// the image has reports, half before and half after it): the CPU of one
// such wait, measured under the same load, is what the waits of the transfer
// cost by themselves, and the rest is the engine's and the loader's.
void BM_ProgramVerifyUsbTiming(benchmark::State& state) {
  sys::SetClockScale(1.0);
  const sim::Timing timing = sim::Timing::Usb();
  auto keyboard = PlugKeyboard(timing);
  const auto bytes = static_cast<std::uint32_t>(state.range(0) * 1024);
  const auto image = Image(bytes);
  const int floorFrames = static_cast<int>(std::max<std::uint32_t>(100, Reports(bytes) / 8));
  double program_ms = 0, wall_ms = 0;
  ThreadUse transfer, floor;
  std::uint64_t floorFramesLost = 0;
  const auto sampleFloor = [&] {
    state.PauseTiming();
    const ThreadUse f0 = ThreadUseNow();
    floorFramesLost += SpendFrames(floorFrames);
    floor = floor + (ThreadUseNow() - f0);
    state.ResumeTiming();
  };
  double idle_ms = 0;
  double best_program_ms = std::numeric_limits<double>::infinity();
  for (auto _ : state) {
    sampleFloor();
    keyboard->TakeBusIdleMs();
    const std::uint64_t p0 = sys::NowMs();
    const auto w0 = std::chrono::steady_clock::now();
    const ThreadUse u0 = ThreadUseNow();
    if (!ProgramAndVerify(image)) state.SkipWithError("program or verify failed");
    const ThreadUse u1 = ThreadUseNow();
    wall_ms += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - w0).count();
    const auto one = static_cast<double>(sys::NowMs() - p0);
    program_ms += one;
    best_program_ms = std::min(best_program_ms, one);
    idle_ms += static_cast<double>(keyboard->TakeBusIdleMs());
    transfer = transfer + (u1 - u0);
    sampleFloor();
  }
  const auto n = static_cast<double>(state.iterations());
  const double minimum = 2 * MinimumTransferMs(bytes, timing);
  const double reports = 2.0 * (Reports(bytes) + 1) * n;
  const double floorUsPerWait = floor.waits > 0 ? floor.cpuMs * 1e3 / floor.waits : 0;
  const double engineUs = (transfer.cpuMs * 1e3 - transfer.waits * floorUsPerWait) / reports;
  state.counters["minimum_ms"] = minimum;
  state.counters["program_ms"] = program_ms / n;
  state.counters["wall_ms"] = wall_ms / n;
  state.counters["program_x"] = program_ms / n / minimum;
  // A stall of the machine only ever adds time, so the fastest run is the
  // one closest to what the engine itself costs.
  state.counters["program_best_x"] = best_program_ms / minimum;
  state.counters["wall_x"] = wall_ms / n / minimum;
  state.counters["cpu_us_per_report"] = transfer.cpuMs * 1e3 / reports;
  state.counters["cpu_pct_of_frame"] = transfer.cpuMs / reports / timing.frameMs * 100.0;
  state.counters["waits_per_report"] = transfer.waits / reports;
  state.counters["wait_floor_us"] = floorUsPerWait;
  state.counters["engine_us_per_report"] = engineUs;
  state.counters["engine_pct_of_frame"] = engineUs / 1e3 / timing.frameMs * 100.0;
  // Where the time above the minimum went: frames the bus stood idle beyond
  // the engine's pauses (the thread woke late for them), and the rest. The
  // share of frames lost to late wake-ups around the transfer shows how
  // often the machine stalled the thread at the time.
  const double lateMs = idle_ms / n - 2 * kPauseBeforeFinalAck;
  state.counters["late_ms"] = lateMs;
  state.counters["unexplained_ms"] = program_ms / n - minimum - lateMs;
  state.counters["lost_frames_pct"] =
      floor.waits > 0 ? static_cast<double>(floorFramesLost) / floor.waits * 100.0 : 0;
  keyboard->Unplug();
}
double Smallest(const std::vector<double>& values) {
  return values.empty() ? 0.0 : *std::min_element(values.begin(), values.end());
}

BENCHMARK(BM_ProgramVerifyUsbTiming)
    ->Arg(1)->Arg(8)->Arg(32)->Arg(64)->Arg(256)
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2)
    ->ComputeStatistics("min", Smallest);

// The floor under the CPU per report of the timing model: the calling
// thread's CPU for one frame spent as the simulated keyboard spends it (one
// sleep to the next deadline on the clock's millisecond grid), with no report.
// What the engine and the loader add is the case above minus this.
void BM_FrameSleepFloor(benchmark::State& state) {
  sys::SetClockScale(1.0);
  constexpr int kFrames = 500;
  double cpu_ms = 0;
  for (auto _ : state) {
    const double c0 = ThreadCpuMs();
    SpendFrames(kFrames);
    cpu_ms += ThreadCpuMs() - c0;
  }
  const double frames = static_cast<double>(state.iterations()) * kFrames;
  state.counters["cpu_us_per_frame"] = cpu_ms * 1e3 / frames;
  state.counters["cpu_pct_of_frame"] = cpu_ms / frames * 100.0;
}
BENCHMARK(BM_FrameSleepFloor)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
