#!/bin/sh
# The main job on a fresh Debian 12 machine: set up, build, and run a complete
# firmware update of the simulated demo keyboard. The keyboard starts with an
# older firmware version and ends with the demo package's, which the tool then
# reads back and shows. With a display ($DISPLAY set) the updater window runs
# the update by itself (--auto-update); without one (CI) vexaro-flash does.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/release -j "$(nproc)" --target vexaro-updater vexaro_updater_demo vexaro-flash vexaro-pack
bin=build/release
package_program=$bin/app/vexaro-updater-demo

# A fresh simulated keyboard for every run: its flash lives in this file.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export VEXARO_SIM_STATE="$work/keyboard-state.bin"

echo "== the package"
$bin/tools/vexaro-pack/vexaro-pack inspect "$package_program" | sed -n '1,12p'
echo "== the keyboard before the update"
$bin/tools/vexaro-flash/vexaro-flash --sim --list "$package_program"
if [ -n "${DISPLAY:-}" ]; then
  echo "== update with the window"
  "$package_program" --sim --auto-update
else
  echo "== update with vexaro-flash (no display)"
  $bin/tools/vexaro-flash/vexaro-flash --sim --yes "$package_program"
fi
echo "== the keyboard after the update"
$bin/tools/vexaro-flash/vexaro-flash --sim --list "$package_program"
