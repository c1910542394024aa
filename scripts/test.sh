#!/bin/sh
# Sets up a fresh Debian 12 machine and runs every test: the normal build, its
# Debian packages under lintian, the address+undefined-behaviour sanitizer
# build (clang, with the fuzz targets), the thread sanitizer build of the
# threaded tests, a bounded run of every fuzz target, and the MinGW-w64 cross
# build of every subsystem with its tests run under wine.
#
# The tests mostly wait on the program clock, so each build's tests run in the
# background while the next build compiles, in two lanes: the CTest stages,
# and the wine tests followed by the fuzzing. Every stage's exit code is
# collected at the end, and a failed stage's whole output is printed. The
# closing table gives each stage's wall and CPU seconds. A compiler launcher
# (ccache) named in CMAKE_CXX_COMPILER_LAUNCHER and CMAKE_C_COMPILER_LAUNCHER
# is taken up by each new build directory.
set -eu
cd "$(dirname "$0")/.."
LOGS=$PWD/build/ci-logs
rm -rf "$LOGS"
mkdir -p "$LOGS"
timed() {  # timed NAME COMMAND...: runs COMMAND, noting its wall and CPU seconds
  name=$1; shift
  begin=$(date +%s)
  status=0
  ( set +e; "$@"; s=$?; times >"$LOGS/$name.cpu"; exit $s ) || status=$?
  echo $(($(date +%s) - begin)) >"$LOGS/$name.wall"
  return $status
}
timed install-deps sh scripts/install-deps.sh
JOBS=$(nproc)
background=""   # name:pid of each stage in the background

build() {  # build DIR [TARGET] -- [cmake args...]
  dir=$1; shift
  target=""
  [ "$1" = "--" ] || { target="--target $1"; shift; }
  shift
  # The libraries, programs and tests compile as combined units, the tests
  # with one precompiled GoogleTest header: a build's time is mostly the
  # headers, compiled once per unit.
  timed "$(basename "$dir")" configure_and_build "$dir" "$target" "$@"
}
configure_and_build() {  # DIR TARGET cmake-args...
  dir=$1; target=$2; shift 2
  cmake -S . -B "$dir" -G Ninja -DVEXARO_UNITY=ON -DVEXARO_UNITY_TESTS=ON -DVEXARO_TEST_PCH=ON "$@" >/dev/null &&
    cmake --build "$dir" -j "$JOBS" $target
}

# The stages of one lane in the background run one after another, each
# after the one queued before it: the tests wait on the program clock with
# time limits that outlast two test programs per core, not more, and each
# lane runs at most two at once.
start() {  # start LANE NAME COMMAND...: queues a stage in LANE, output to its log
  lane=$1 name=$2; shift 2
  eval "after=\${queued_$lane:-}"
  echo "== $name: queued in the background (log build/ci-logs/$name.log)"
  (
    if [ -n "$after" ]; then
      while [ ! -e "$LOGS/$after.done" ]; do sleep 2; done
    fi
    status=0
    timed "$name" "$@" || status=$?
    touch "$LOGS/$name.done"
    exit $status
  ) >"$LOGS/$name.log" 2>&1 &
  background="$background $name:$!"
  eval "queued_$lane=\$name"
}

collect() {  # waits for every background stage; fails if any failed
  failures=0
  for job in $background; do
    name=${job%%:*}
    if wait "${job#*:}"; then
      echo "== $name: passed ($(tail -n 1 "$LOGS/$name.log"))"
    else
      failures=$((failures + 1))
      echo "== $name: FAILED, its output:"
      cat "$LOGS/$name.log"
    fi
  done
  background=""
  [ "$failures" -eq 0 ]
}

# A build that fails ends the run, but what already runs in the background is
# still waited for and reported.
trap 'status=$?; trap - EXIT; if [ -n "$background" ]; then collect || status=1; fi; exit $status' EXIT

release_checks() {  # the release build's tests, then its Debian packages under lintian
  status=0
  ctest --test-dir build/release -j "$JOBS" --output-on-failure --timeout 300 || status=1
  echo "== Debian packages, checked by lintian (any tag fails the run, pedantic ones too)"
  rm -rf build/release/packages
  (cd build/release && cpack --config CPackConfig.cmake -B "$PWD/packages" >/dev/null) &&
    lintian --fail-on error,warning,info,pedantic --display-info --pedantic --info \
      build/release/packages/*.deb || status=1
  # About 35 s, mostly the mirror's packages (docs/packaging.md).
  echo "== the terminal package on a minimal Debian 12 (mmdebstrap): no desktop libraries"
  # A machine that cannot make a chroot (exit 77) skips it, loudly; any
  # failure of the package fails the run.
  minimal=0
  sh packaging/minimal_debian_test.sh build/release/packages || minimal=$?
  if [ "$minimal" -eq 77 ]; then
    echo "== NOTE: the minimal Debian 12 check was skipped: this machine cannot make a chroot"
  elif [ "$minimal" -ne 0 ]; then
    status=1
  fi
  echo "release tests and packages: exit $status"
  return $status
}

echo "== build (release, warnings as errors)"
# The /usr prefix puts the library in /usr/lib/<multiarch>, as the packages
# want. No debug information: the packages strip it and nothing reads it.
build build/release -- -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG"
start ctest release-tests release_checks

echo "== MinGW-w64 cross build (what the wine tests and the release zip need), then its tests under wine"
build build/mingw -- -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
  -DVEXARO_FUZZ_REPLAY=OFF
start wine wine-tests sh scripts/test-wine.sh build/mingw

# The fault campaign's cases are whole updates waiting on the program clock;
# the plain build runs them all, the sanitizer builds leave them out and check
# the same code through the soak (random faults over consecutive updates) and
# the loader-left tests.
CAMPAIGN=FaultCampaignTest

# The sanitizer builds keep line tables and function names (-g1): all that
# their reports print, at less cost than full debug information.
SANITIZER_DEBUG="-DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DCMAKE_C_FLAGS_DEBUG=-g1"

# One clang build serves the address+UB sanitizer tests and the fuzz targets
# (libFuzzer needs clang): -O1 keeps the fuzzers quick and the tests too.
echo "== address + undefined-behaviour sanitizers (clang), with the fuzz targets"
build build/asan -- -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS_DEBUG="-O1 -gline-tables-only" -DCMAKE_C_FLAGS_DEBUG="-O1 -gline-tables-only" \
  -DVEXARO_SANITIZE=address -DVEXARO_FUZZ=ON
start ctest asan-tests env ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp \
  ctest --test-dir build/asan -j "$JOBS" -E "$CAMPAIGN" --output-on-failure --timeout 600
start wine fuzzing env FUZZ_BUILD=build/asan sh scripts/fuzz-ci.sh run

echo "== thread sanitizer (tests that use threads)"
build build/tsan vexaro_threaded_tests -- $SANITIZER_DEBUG -DVEXARO_SANITIZE=thread
start ctest tsan-tests env TSAN_OPTIONS="halt_on_error=1 suppressions=$PWD/scripts/tsan.supp" \
  ctest --test-dir build/tsan -j "$JOBS" -L threads -E "$CAMPAIGN" --output-on-failure --timeout 600 --no-tests=ignore


echo "== waiting for the stages in the background"
collect_status=0
collect || collect_status=1
trap - EXIT
echo "== stage: wall s, CPU s (user+sys)"
for f in "$LOGS"/*.wall; do
  stage=$(basename "$f" .wall)
  # `times`: the shell's and its children's user and system time, as 1m2.5s.
  cpu=$(tr ' ' '\n' <"$LOGS/$stage.cpu" | awk -F'[ms]' '/m/ { t += $1 * 60 + $2 } END { printf "%.0f", t }')
  printf '%-14s %6s %6s\n' "$stage" "$(cat "$f")" "$cpu"
done
if [ "$collect_status" -ne 0 ]; then
  echo "== FAILED (see the stages above)"
  exit 1
fi
echo "== all tests passed"
