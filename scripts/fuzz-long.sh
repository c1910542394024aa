#!/bin/sh
# The long fuzzing budget, outside CI: every fuzz target (or the ones named)
# runs RUNS executions (default 10^7), one target at a time in one process
# (one core), so other work on the machine keeps the rest. Each target keeps a growing corpus in
# build/fuzz-long/corpus-NAME and its log in build/fuzz-long/NAME.log; the
# last line of each log has the executions done and their rate.
#   scripts/fuzz-long.sh                         every target
#   RUNS=1000000 scripts/fuzz-long.sh sim_state_file_fuzz hid_report_channel_fuzz
set -eu
cd "$(dirname "$0")/.."
RUNS=${RUNS:-10000000}
# Three targets write each input to a file in the temporary folder; in memory
# (/dev/shm) package_fuzz ran three times as many inputs per CPU second.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
BUILD=build/fuzz-long
ROOT=$(pwd)
. scripts/fuzz-targets.sh
ALL=$FUZZ_TARGETS
chosen=""
for t in $ALL; do
  name=$(basename "${t%%:*}")
  if [ $# -eq 0 ]; then chosen="$chosen $t"; continue; fi
  for want in "$@"; do [ "$want" = "$name" ] && chosen="$chosen $t"; done
done
[ -n "$chosen" ] || { echo "fuzz-long: no such target: $*" >&2; exit 2; }
CC=clang CXX=clang++ cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVEXARO_FUZZ=ON -DVEXARO_SANITIZE=address -DVEXARO_TESTS=OFF >/dev/null
names=""
for t in $chosen; do names="$names $(basename "${t%%:*}")"; done
cmake --build "$BUILD" -j 1 --target $names
export LSAN_OPTIONS="suppressions=$ROOT/scripts/lsan.supp"
status=0
for t in $chosen; do
  program=${t%%:*}
  name=$(basename "$program")
  extra=$(fuzz_options "$name" "$ROOT")
  mkdir -p "$BUILD/corpus-$name"
  echo "== $name: $RUNS executions"
  # libFuzzer's time limit is wall time: at nice 19 beside a build a quick
  # input can wait for the core for seconds, so it is a minute here (CI: 10 s).
  if (cd "$BUILD" && "./fuzz/$program" -runs="$RUNS" -timeout=60 -rss_limit_mb=2048 \
      -print_final_stats=1 $extra "corpus-$name" "$ROOT/fuzz/${t#*:}") >"$BUILD/$name.log" 2>&1; then
    grep -E '^stat::number_of_executed_units|^stat::average_exec_per_sec|^Done' "$BUILD/$name.log" || tail -n 1 "$BUILD/$name.log"
  elif grep -q '^==[0-9]*== libFuzzer: run interrupted' "$BUILD/$name.log"; then
    # Stopped by a signal (the run was cut short), not a finding.
    grep -E '^stat::number_of_executed_units|^stat::average_exec_per_sec' "$BUILD/$name.log"
    echo "fuzz-long: $name interrupted"
    status=1
  else
    tail -n 40 "$BUILD/$name.log"
    echo "fuzz-long: $name found a fault (input saved in $BUILD)"
    status=1
  fi
done
exit $status
