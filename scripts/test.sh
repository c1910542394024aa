#!/bin/sh
# Sets up a fresh Debian 12 machine and runs every test: the normal build, its
# Debian packages under lintian, the address+undefined-behaviour sanitizer
# build, the thread sanitizer build of the threaded tests, a bounded run of
# every fuzz target, and the MinGW-w64 cross build of every subsystem with its
# tests run under wine.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
JOBS=$(nproc)

build() {  # build DIR [TARGET] -- [cmake args...]
  dir=$1; shift
  target=""
  [ "$1" = "--" ] || { target="--target $1"; shift; }
  shift
  # Each test program compiles as a few combined units: the test build's time
  # is mostly the test framework's headers, compiled once per unit.
  cmake -S . -B "$dir" -G Ninja -DVEXARO_UNITY_TESTS=ON "$@" >/dev/null
  cmake --build "$dir" -j "$JOBS" $target
}

echo "== build (release, warnings as errors)"
# The /usr prefix puts the library in /usr/lib/<multiarch>, as the packages want.
build build/release -- -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr
ctest --test-dir build/release -j "$JOBS" --output-on-failure --timeout 300

echo "== Debian packages, checked by lintian (its errors fail the run)"
rm -rf build/release/packages
(cd build/release && cpack --config CPackConfig.cmake -B "$PWD/packages" >/dev/null)
lintian --fail-on error --info build/release/packages/*.deb

# The fault campaign's cases are whole updates waiting on the program clock;
# the plain build runs them all, the sanitizer builds leave them out and check
# the same code through the soak (random faults over consecutive updates) and
# the loader-left tests.
CAMPAIGN=FaultCampaignTest

echo "== address + undefined-behaviour sanitizers"
build build/asan -- -DCMAKE_BUILD_TYPE=Debug -DVEXARO_SANITIZE=address
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp \
  ctest --test-dir build/asan -j "$JOBS" -E "$CAMPAIGN" --output-on-failure --timeout 600

echo "== thread sanitizer (tests that use threads)"
build build/tsan vexaro_threaded_tests -- -DCMAKE_BUILD_TYPE=Debug -DVEXARO_SANITIZE=thread
TSAN_OPTIONS="halt_on_error=1 suppressions=$PWD/scripts/tsan.supp" ctest --test-dir build/tsan -j "$JOBS" -L threads -E "$CAMPAIGN" --output-on-failure --timeout 600 --no-tests=ignore

echo "== fuzzing every target for a bounded time (clang, libFuzzer, ASan+UBSan)"
sh scripts/fuzz-ci.sh

echo "== MinGW-w64 cross build"
# File by file: in combined units MinGW's optimiser warns where the files
# alone are clean, and the Windows-only test files share private names.
build build/mingw -- -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DVEXARO_UNITY_TESTS=OFF

echo "== the Windows build's tests under wine"
sh scripts/test-wine.sh build/mingw

echo "== all tests passed"
