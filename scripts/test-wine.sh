#!/bin/sh
# Runs every test program of the MinGW-w64 build under wine, each once, and
# prints one closing line. Usage: sh scripts/test-wine.sh BUILD-DIR
# WINE_JOBS programs run at once (default 2, one per core).
# The reliability program takes longer than all the others together; it runs
# as RELIABILITY_SHARDS (default 4) parts by GoogleTest's sharding, queued
# first.
set -u
build=${1:-build/mingw}
WINE_JOBS=${WINE_JOBS:-2}
RELIABILITY_SHARDS=${RELIABILITY_SHARDS:-4}
WINE=/usr/lib/wine/wine64
[ -x "$WINE" ] || WINE=$(command -v wine64 || command -v wine)
export WINEDEBUG=-all
export WINEPREFIX=${WINEPREFIX:-$(pwd)/$build/wineprefix}
# The first start builds the prefix; do it once, outside the time limits.
"$WINE" cmd /c exit >/dev/null 2>&1
passed=0
failed=0
# Runs one program, with the environment it needs (if any) from PROGRAM.env
# and the settings given after the log. Usage: run PROGRAM LOG [VAR=VALUE...]
run() {
  program=$1 output=$2
  shift 2
  envfile="${program%.exe}.env"
  # shellcheck disable=SC2046
  [ -f "$envfile" ] && set -- "$@" $(cat "$envfile")
  timeout 600 env "$@" "$WINE" "$program" >"$output" 2>&1
}
# Counts one check and says how it went; a failure shows the end of its log.
# Usage: verdict STATUS WHAT LOG
verdict() {
  if [ "$1" -eq 0 ]; then
    passed=$((passed + 1))
    echo "passed  $2"
  else
    failed=$((failed + 1))
    echo "FAILED  $2 (exit $1), its output:"
    tail -n 40 "$3"
  fi
}
# Runs one queue entry, PROGRAM or PROGRAM@INDEX/COUNT (one shard), and
# leaves its exit status in its log's .status file.
run_entry() {
  exe=${1%@*}
  shard=""
  log="$exe.wine.log"
  if [ "$exe" != "$1" ]; then
    index=${1#*@}
    shard="GTEST_SHARD_INDEX=${index%/*} GTEST_TOTAL_SHARDS=${index#*/}"
    log="$exe.shard${index%/*}.wine.log"
  fi
  # shellcheck disable=SC2086
  run "$exe" "$log" $shard
  status=$?
  # wine's own client/server failures say nothing about the program: once more.
  if [ "$status" -ne 0 ] && grep -q "^wine client error" "$log"; then
    echo "again   $1 (wine itself failed: $(grep -m1 '^wine client error' "$log"))"
    # shellcheck disable=SC2086
    run "$exe" "$log" $shard
    status=$?
  fi
  echo "$status" >"$log.status"
}
shards=""
others=""
for exe in $(find "$build/tests" -name '*.exe' | sort); do
  case $exe in
    */reliability_tests.exe)
      i=0
      while [ "$i" -lt "$RELIABILITY_SHARDS" ]; do
        shards="$shards $exe@$i/$RELIABILITY_SHARDS"
        i=$((i + 1))
      done ;;
    *) others="$others $exe" ;;
  esac
done
queue="$shards $others"
# Each worker takes the next entry no other worker has claimed (mkdir is the
# claim: it succeeds for one of them only).
claims=$(mktemp -d)
find "$build/tests" -name '*.wine.log.status' -exec rm -f {} +
worker() {
  n=0
  for entry in $queue; do
    n=$((n + 1))
    mkdir "$claims/$n" 2>/dev/null && run_entry "$entry"
  done
}
workers=""
w=0
while [ "$w" -lt "$WINE_JOBS" ]; do
  worker &
  workers="$workers $!"
  w=$((w + 1))
done
for pid in $workers; do wait "$pid"; done
rm -rf "$claims"
for entry in $queue; do
  exe=${entry%@*}
  log="$exe.wine.log"
  [ "$exe" = "$entry" ] || { index=${entry#*@}; log="$exe.shard${index%/*}.wine.log"; }
  status=$(cat "$log.status" 2>/dev/null || echo 1)
  verdict "$status" "$entry" "$log"
done
# The Win32 display needs a desktop: wine's, on a virtual X server. The
# loop above ran its program without one (skipped); wine's processes of that
# run end first, so that the desktop starts with the X server.
display_check() {
  "$(dirname "$WINE")/wineserver" -k >/dev/null 2>&1
  # Its search for a free display starts above the numbers the Linux tests'
  # searches start from (tests/CMakeLists.txt), should any run meanwhile.
  timeout 300 xvfb-run -a -n 4200 -s "-screen 0 1024x768x24" "$WINE" "$1" >"$1.xvfb.log" 2>&1 &&
    ! grep -q "SKIPPED" "$1.xvfb.log"
}
display_test="$build/tests/windows_display/windows_display_test.exe"
if [ -f "$display_test" ] && command -v xvfb-run >/dev/null 2>&1; then
  display_check "$display_test"
  verdict $? "$display_test under Xvfb" "$display_test.xvfb.log"
fi
# The updater is a window program (no console opens beside it) and exports
# the engine's functions by name, as libvexaro-isp does.
updater_exe_check() {
  headers=$(x86_64-w64-mingw32-objdump -p "$1") || return 1
  echo "$headers" | grep -q '^Subsystem.*(Windows GUI)' || { echo "$1 is not a window program"; return 1; }
  for name in $(grep -o 'ISP_[A-Za-z]*' "$(dirname "$0")/../app/vexaro-updater.def"); do
    echo "$headers" | grep -q "[[:space:]]$name\$" || { echo "$1 does not export $name"; return 1; }
  done
}
# The release zip: made by CPack, holding what it should; its flash program
# then updates the simulated keyboard from its demo updater, as a user would.
zip_check() {
  rm -f "$build"/vexaro-updater-*-win64.zip
  (cd "$build" && cpack -G ZIP >/dev/null) || return 1
  zip=$(ls "$build"/vexaro-updater-*-win64.zip) || return 1
  for name in README.txt vexaro-updater.exe vexaro-updater-demo.exe vexaro-flash.exe vexaro-pack.exe vexaro-isp.dll; do
    unzip -l "$zip" | grep -q " $name\$" || { echo "$name is missing from $zip"; return 1; }
  done
  unpacked=$(mktemp -d)
  unzip -q "$zip" -d "$unpacked" && updater_exe_check "$unpacked/vexaro-updater.exe" &&
    (cd "$unpacked" && VEXARO_CLOCK_SCALE=25 timeout 300 "$WINE" vexaro-flash.exe --sim vexaro-updater-demo.exe)
  status=$?
  rm -rf "$unpacked"
  return $status
}
if [ -f "$build/CPackConfig.cmake" ]; then
  zip_check >"$build/zip-check.log" 2>&1
  verdict $? "release zip and a simulated update from it" "$build/zip-check.log"
fi
"$(dirname "$WINE")/wineserver" -k >/dev/null 2>&1 || true
echo "wine: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
