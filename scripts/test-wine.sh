#!/bin/sh
# Runs every test program of the MinGW-w64 build under wine, each once, and
# prints one closing line. Usage: sh scripts/test-wine.sh BUILD-DIR
set -u
build=${1:-build/mingw}
WINE=/usr/lib/wine/wine64
[ -x "$WINE" ] || WINE=$(command -v wine64 || command -v wine)
export WINEDEBUG=-all
export WINEPREFIX=${WINEPREFIX:-$(pwd)/$build/wineprefix}
# The first start builds the prefix; do it once, outside the time limits.
"$WINE" cmd /c exit >/dev/null 2>&1
passed=0
failed=0
# Runs one program; the environment it needs (if any) is in PROGRAM.env.
run() {
  envfile="${1%.exe}.env"
  if [ -f "$envfile" ]; then
    timeout 600 env $(cat "$envfile") "$WINE" "$1" >"$2" 2>&1
  else
    timeout 600 "$WINE" "$1" >"$2" 2>&1
  fi
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
for exe in $(find "$build/tests" -name '*.exe' | sort); do
  log="$exe.wine.log"
  run "$exe" "$log"
  status=$?
  # wine's own client/server failures say nothing about the program: once more.
  if [ "$status" -ne 0 ] && grep -q "^wine client error" "$log"; then
    echo "again   $exe (wine itself failed: $(grep -m1 '^wine client error' "$log"))"
    run "$exe" "$log"
    status=$?
  fi
  verdict "$status" "$exe" "$log"
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
  unzip -q "$zip" -d "$unpacked" &&
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
