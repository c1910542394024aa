#!/bin/sh
# The main job on a fresh Debian 12 machine: set up, build, and show what the
# tool does today: produce the demo firmware package with vexaro-pack and
# inspect it.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/release -j "$(nproc)"
echo "== demo package"
./build/release/tools/vexaro-pack/vexaro-pack inspect build/release/demo/demo-package.bin
