#!/bin/sh
# Installs every Debian 12 package the build, the tests and the demo need;
# `sh scripts/install-deps.sh bench` adds the benchmarks' libraries (Google
# Benchmark and the XML readers they compare with), which CI does not build.
# Safe to run again; does nothing when everything is present.
set -eu
PACKAGES="build-essential cmake ninja-build pkg-config git python3
  googletest libgtest-dev clang libclang-rt-dev
  libudev-dev libsystemd-dev libgcrypt20-dev umockdev libumockdev-dev dbus-daemon
  libsdl2-dev libfreetype-dev libfontconfig-dev fonts-dejavu-core
  libpng-dev libexpat1-dev
  g++-mingw-w64-x86-64-posix wine64 xvfb xauth unzip libx11-dev evilwm
  dpkg-dev fakeroot help2man lintian man-db appstream mmdebstrap"
[ "${1:-}" != bench ] || PACKAGES="$PACKAGES libbenchmark-dev libpugixml-dev libtinyxml2-dev"
missing=""
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -n "$missing" ] || exit 0
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
$SUDO apt-get update -qq
# Unpacking without a sync after every file: a machine that crashes meanwhile
# is set up again anyway.
# shellcheck disable=SC2086
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends \
  -o Dpkg::Options::=--force-unsafe-io $missing
