// The window framework benchmarks run on the headless display: it is chosen
// before the first window exists, so a desktop session does not matter.
#include <benchmark/benchmark.h>

#include <cstdlib>

int main(int argc, char** argv) {
#ifdef _WIN32
  _putenv_s("VEXARO_DISPLAY", "headless");
#else
  setenv("VEXARO_DISPLAY", "headless", 1);
#endif
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
