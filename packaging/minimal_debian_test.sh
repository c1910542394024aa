#!/bin/sh
# The terminal package on a machine without a desktop: mmdebstrap makes a
# minimal Debian 12 (--variant=minbase) in a temporary folder, apt installs
# vexaro-flash_*.deb in it with what it depends on, and the check fails when
# any display, X11, Wayland, sound, font or PNG library package came along.
# The installed vexaro-flash then lists and updates the simulated keyboard
# there (the package it installs is the demo updater's, copied in as a file).
#   minimal_debian_test.sh <folder with the .deb files> [mirror]
# Needs root (or mmdebstrap's unshare mode) and the Debian mirror, by default
# http://deb.debian.org/debian; the time it takes is in docs/packaging.md.
# Exit status 77 when this machine cannot make the minimal system at all.
set -eu
packages=$(cd "$1" && pwd)
mirror=${2:-http://deb.debian.org/debian}
fail() { echo "FAIL: $*" >&2; exit 1; }
command -v mmdebstrap >/dev/null 2>&1 || fail "mmdebstrap is not installed (apt install mmdebstrap)"
flash=$(ls "$packages"/vexaro-flash_*.deb 2>/dev/null | head -n 1)
window=$(ls "$packages"/vexaro-updater_*.deb 2>/dev/null | head -n 1)
[ -n "$flash" ] || fail "no vexaro-flash_*.deb in $packages"
[ -n "$window" ] || fail "no vexaro-updater_*.deb in $packages (its demo updater is the test's package file)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The demo updater, taken out of its package: only a file to read here.
dpkg-deb -x "$window" "$work/window"
mkdir "$work/in"
cp "$flash" "$work/in/"
cp "$work/window/usr/bin/vexaro-updater-demo" "$work/in/"

# Run inside the new system after its own packages are in: the package list
# before and after, then the program. The hook's output is the test's log.
cat >"$work/in/inside.sh" <<'INSIDE'
#!/bin/sh
set -eu
cd /vexaro
echo "vexaro: the minimal system is made; installing"
dpkg-query -W -f '${Package}\n' | sort >before
DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends ./vexaro-flash_*.deb >apt.log 2>&1 ||
  { cat apt.log; echo "apt-get could not install vexaro-flash"; exit 1; }
dpkg-query -W -f '${Package}\n' | sort >after
comm -13 before after >added
export VEXARO_SIM_STATE=/vexaro/keyboard.bin VEXARO_CLOCK_SCALE=50
vexaro-flash --sim --list ./vexaro-updater-demo >list.log 2>&1 || { cat list.log; echo "--sim --list failed"; exit 1; }
vexaro-flash --sim ./vexaro-updater-demo >flash.log 2>&1 || { cat flash.log; echo "--sim update failed"; exit 1; }
vexaro-flash --sim --list ./vexaro-updater-demo >after-list.log 2>&1 || { cat after-list.log; exit 1; }
INSIDE

begin=$(date +%s)
mmdebstrap --variant=minbase --quiet \
  --customize-hook="copy-in $work/in /" \
  --customize-hook='mv "$1/in" "$1/vexaro"' \
  --customize-hook='chroot "$1" sh /vexaro/inside.sh' \
  --customize-hook="copy-out /vexaro $work" \
  bookworm "$work/root" "$mirror" >"$work/mmdebstrap.log" 2>&1 || {
  cat "$work/mmdebstrap.log"
  # Once the system stands, every failure is the package's. Before, it is
  # the machine's: a container without the rights to mount /proc in a
  # chroot, or no mirror. That is said plainly and told apart by the status.
  grep -q "^vexaro: the minimal system is made" "$work/mmdebstrap.log" && fail "the package could not be installed or run"
  echo "SKIPPED: mmdebstrap could not make a minimal Debian 12 on this machine (see its output above)" >&2
  exit 77
}
seconds=$(($(date +%s) - begin))

out=$work/vexaro
echo "packages apt added to a minimal Debian 12 for vexaro-flash:"
sed 's/^/  /' "$out/added"
grep -q '^vexaro-flash$' "$out/added" || fail "vexaro-flash is not among the installed packages"
desktop='^(libsdl|libx11|libxau|libxdmcp|libxcb|libxext|libxfixes|libxrender|libxrandr|libxi[0-9]|libxcursor|libxss|libxkbcommon|xkb-data|libwayland|libdecor|libpulse|libasound|libpipewire|libjack|libsndio|libsndfile|libfontconfig|libfreetype|libharfbuzz|libpng|fontconfig|fonts-|x11-|xfonts-|libgl|libegl|libgbm|libdrm)'
if grep -Eq "$desktop" "$out/added"; then
  fail "desktop libraries came with vexaro-flash: $(grep -E "$desktop" "$out/added" | tr '\n' ' ')"
fi
grep -q "V2.05" "$out/list.log" || { cat "$out/list.log"; fail "--list does not show the keyboard's first version"; }
grep -q "V2.07" "$out/after-list.log" || { cat "$out/after-list.log"; fail "the keyboard does not carry the new version"; }
echo "vexaro-flash installs on a minimal Debian 12 ($(wc -l <"$out/added") packages, none of a desktop) and updates the simulated keyboard there; ${seconds} s"
