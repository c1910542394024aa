#!/bin/sh
# Builds every fuzz target with clang, libFuzzer and the address and
# undefined-behaviour sanitizers, and runs each for a bounded time, two at a
# time: the XML reader's targets for XML_SECONDS (default 20), the others for
# OTHER_SECONDS (default 8). The depth comes from scripts/fuzz-long.sh; here
# each target shows it still runs its corpus and a few seconds of new inputs.
# Fails on any crash, leak, sanitizer report or time-out; the input that
# found it is left in build/fuzz-ci/.
#   sh scripts/fuzz-ci.sh [build|run]   only build the targets, or only run
#                                       them (already built); both by default
#   FUZZ_BUILD=build/asan sh scripts/fuzz-ci.sh run   run the targets of another
#                                       build configured with -DVEXARO_FUZZ=ON
set -eu
cd "$(dirname "$0")/.."
PHASE=${1:-all}
XML_SECONDS=${XML_SECONDS:-20}
OTHER_SECONDS=${OTHER_SECONDS:-8}
BUILD=${FUZZ_BUILD:-build/fuzz-ci}
ROOT=$(pwd)
. scripts/fuzz-targets.sh
TARGETS=$FUZZ_TARGETS
names=""
for t in $TARGETS; do names="$names $(basename "${t%%:*}")"; done
if [ "$PHASE" != run ]; then
  # Line tables are all a sanitizer report needs, and much cheaper than -g.
  CC=clang CXX=clang++ cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -gline-tables-only -DNDEBUG" \
    -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -gline-tables-only -DNDEBUG" \
    -DVEXARO_FUZZ=ON -DVEXARO_SANITIZE=address -DVEXARO_TESTS=OFF -DVEXARO_UNITY=ON >/dev/null
  cmake --build "$BUILD" -j "$(nproc)" --target $names
fi
[ "$PHASE" != build ] || exit 0
export LSAN_OPTIONS="suppressions=$ROOT/scripts/lsan.supp"
run_target() {  # run_target PROGRAM:SEEDS: fails on a finding, after printing it
  program=${1%%:*}
  seeds=$ROOT/fuzz/${1#*:}
  name=$(basename "$program")
  seconds=$OTHER_SECONDS
  case $name in xml_*) seconds=$XML_SECONDS ;; esac
  extra=$(fuzz_options "$name" "$ROOT")
  work="$BUILD/corpus-$name"
  mkdir -p "$work"
  echo "== fuzzing $name for $seconds s"
  log="$BUILD/$name.log"
  if ! (cd "$BUILD" && "./fuzz/$program" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      $extra "corpus-$name" "$seeds") >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "fuzzing: $name found a fault (input saved in $BUILD)"
    return 1
  fi
  tail -n 1 "$log"
}
lane() {  # lane TARGET...: one after another, stopping at the first finding
  for t in "$@"; do run_target "$t" || return 1; done
}
# Two lanes, one target per core: each target has its own time budget, so
# the stage takes half the time of one lane. The targets alternate between
# the lanes, which puts the two XML readers (the longest) side by side.
first="" second="" i=0
for t in $TARGETS; do
  if [ $((i % 2)) -eq 0 ]; then first="$first $t"; else second="$second $t"; fi
  i=$((i + 1))
done
lane $first & one=$!
lane $second & two=$!
status=0
wait $one || status=1
wait $two || status=1
[ $status -eq 0 ] || exit 1
echo "fuzzing: every target ran its time without a finding"
