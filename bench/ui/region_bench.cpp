// Region building from a 1024 x 1024 mask: pixels per second for masks whose
// rows hold one run (a disc), or many runs (vertical stripes of opaque and
// white columns), so that the batches of 2,000 rectangles and their merging
// into the result are part of what is measured.
#include <benchmark/benchmark.h>

#include "platform/gui/gdi.h"
#include "ui/window_shape.h"

namespace {

using namespace vexaro::gui;

constexpr int kSide = 1024;

HBITMAP DiscMask() {
  HBITMAP bmp = CreateBitmap32(kSide, kSide);
  const int r = kSide / 2;
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x) {
      const long long dx = x - r, dy = y - r;
      bmp->Row(y)[x] = dx * dx + dy * dy <= static_cast<long long>(r) * r ? 0xFF000000u : 0xFFFFFFFFu;
    }
  return bmp;
}

// runs_per_row opaque stripes of equal width separated by white gaps.
HBITMAP StripeMask(int runs_per_row) {
  HBITMAP bmp = CreateBitmap32(kSide, kSide);
  const int period = kSide / runs_per_row;
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x) bmp->Row(y)[x] = x % period < period / 2 ? 0xFF202020u : 0xFFFFFFFFu;
  return bmp;
}

void Build(benchmark::State& state, HBITMAP mask) {
  for (auto _ : state) {
    HRGN rgn = vexaro::ui::BuildRegionFromBitmap(mask, 0xFFFFFF, 0);
    benchmark::DoNotOptimize(rgn);
    DeleteObject(rgn);
  }
  state.counters["pixels/s"] =
      benchmark::Counter(static_cast<double>(kSide) * kSide, benchmark::Counter::kIsIterationInvariantRate);
  DeleteObject(mask);
}

void BM_RegionDisc(benchmark::State& state) { Build(state, DiscMask()); }
void BM_RegionStripes(benchmark::State& state) {
  state.counters["runs"] = static_cast<double>(state.range(0)) * kSide;
  Build(state, StripeMask(static_cast<int>(state.range(0))));
}

BENCHMARK(BM_RegionDisc)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RegionStripes)->Arg(2)->Arg(8)->Arg(32)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
