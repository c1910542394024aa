#!/bin/sh
# Builds every benchmark (Release, build/bench), runs them all in one go, writes
# the measured tables of docs/performance.md (between its "bench:" markers) and
# draws the figures into docs/performance-figures/ with gnuplot.
#   scripts/bench.sh            build, run, write
#   BENCH_QUICK=1 scripts/bench.sh   shorter runs (no repetitions), for a try
set -eu
cd "$(dirname "$0")/.."
BUILD=${BUILD:-build/bench}
mkdir -p "$BUILD/results" docs/performance-figures
OUT=$(cd "$BUILD/results" && pwd)

# The benchmarks' libraries (Google Benchmark, the XML readers compared).
sh scripts/install-deps.sh bench
if ! command -v gnuplot >/dev/null 2>&1; then
  echo "bench.sh: installing gnuplot-nox to draw the figures" >&2
  if [ "$(id -u)" = 0 ]; then SUDO=; else SUDO=sudo; fi
  $SUDO apt-get install -y -q gnuplot-nox >/dev/null
fi

export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD} CCACHE_DIR=${CCACHE_DIR:-$PWD/.ccache}
LAUNCHER=
command -v ccache >/dev/null 2>&1 && LAUNCHER="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache"
# shellcheck disable=SC2086
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVEXARO_BENCH=ON $LAUNCHER >/dev/null
cmake --build "$BUILD" -j2 --target xml_bench ui_bench gui_bench isp_bench window_start_probe vexaro_updater_demo

if [ "${BENCH_QUICK:-0}" = 1 ]; then REPS=1; MIN=0.2; else REPS=3; MIN=0.5; fi
run() {  # name, binary, extra arguments...
  name=$1; bin=$2; shift 2
  echo "bench.sh: running $name" >&2
  "$bin" --benchmark_out="$OUT/$name.json" --benchmark_out_format=json "$@" >/dev/null
}
AGG="--benchmark_repetitions=$REPS --benchmark_report_aggregates_only=true --benchmark_min_time=$MIN"
# shellcheck disable=SC2086
run xml "$BUILD/bench/xml/xml_bench" $AGG
# shellcheck disable=SC2086
run ui "$BUILD/bench/ui/ui_bench" $AGG
# shellcheck disable=SC2086
run gui "$BUILD/bench/gui/gui_bench" $AGG
# The engine's cases run on the real clock with fixed iterations: a stall of
# the machine lands on whichever image size is running, so they are repeated
# and the median taken, as for the others.
run isp "$BUILD/bench/isp/isp_bench" --benchmark_repetitions="$REPS" --benchmark_report_aggregates_only=true
# A whole update of the simulated keyboard at clock scale 1, on the headless
# display, unattended: its trace gives the breakdown, time(1) the peak memory.
echo "bench.sh: running a full simulated update" >&2
TIMER=
[ -x /usr/bin/time ] && TIMER="/usr/bin/time -f wall_s=%e,max_rss_kb=%M -o $OUT/update-time.txt"
UPDATER=$(cd "$BUILD/app" && pwd)/vexaro-updater-demo
rm -f "$OUT/update-time.txt" "$OUT/update-state" "$OUT/update.trace"
# shellcheck disable=SC2086
(cd "$OUT" && VEXARO_DISPLAY=headless VEXARO_CLOCK_SCALE=1 VEXARO_SIM_TIMING=usb \
  VEXARO_SIM_STATE=update-state VEXARO_SIM_TRACE=update.trace \
  $TIMER "$UPDATER" --sim --auto-update >update.log 2>&1)

# The main window from the entry of main to its first paint, five processes
# each on the headless display and, when xvfb-run is there, on SDL under Xvfb.
PROBE="$BUILD/bench/app/window_start_probe"
: >"$OUT/window-headless.txt"
: >"$OUT/window-xvfb.txt"
for _ in 1 2 3 4 5; do
  VEXARO_DISPLAY=headless "$PROBE" "$UPDATER" >>"$OUT/window-headless.txt" || true
  if command -v xvfb-run >/dev/null 2>&1; then
    xvfb-run -a -s "-screen 0 1024x768x24" env VEXARO_DISPLAY=sdl "$PROBE" "$UPDATER" \
      >>"$OUT/window-xvfb.txt" 2>/dev/null || true
  fi
done

uptime >"$OUT/load.txt"
python3 scripts/bench_report.py "$OUT" docs/performance.md docs/performance-figures
for plot in "$OUT"/*.gp; do gnuplot "$plot"; done
echo "bench.sh: tables written into docs/performance.md, figures in docs/performance-figures/" >&2
