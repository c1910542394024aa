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
  if [ "$status" -eq 0 ]; then
    passed=$((passed + 1))
    echo "passed  $exe"
  else
    failed=$((failed + 1))
    echo "FAILED  $exe (exit $status), its output:"
    tail -n 40 "$log"
  fi
done
"$(dirname "$WINE")/wineserver" -k >/dev/null 2>&1 || true
echo "wine: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
