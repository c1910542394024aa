#!/bin/sh
# The packages as a user gets them: cpack builds them from the build folder
# given, dpkg-deb unpacks them into a fresh folder (no installation on this
# machine), and the unpacked programs update the simulated keyboard and find
# the library through its pkg-config file. The terminal package (vexaro-flash)
# is also unpacked alone: it must work without the window package's files and
# depend on no desktop library.
#   deb_test.sh <build dir>
set -eu
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack --config CPackConfig.cmake -B "$work/out" >"$work/cpack.log" 2>&1) ||
  { cat "$work/cpack.log"; fail "cpack did not build the packages"; }
root=$work/root
for package in vexaro-flash vexaro-updater libvexaro-isp1 libvexaro-isp-dev; do
  deb=$(ls "$work"/out/${package}_*.deb 2>/dev/null | head -n 1)
  [ -n "$deb" ] || fail "no $package package"
  dpkg-deb -x "$deb" "$root"
  [ -f "$root/usr/share/doc/$package/copyright" ] || fail "$package has no copyright file"
  [ -f "$root/usr/share/doc/$package/changelog.Debian.gz" ] || fail "$package has no changelog.Debian.gz"
done
# The terminal package alone, for the programs' run without the window's files.
terminal=$work/terminal
dpkg-deb -x "$work"/out/vexaro-flash_*.deb "$terminal"

# Dependencies are what dpkg-shlibdeps found: the C and C++ runtime at least,
# and for the terminal package nothing of a desktop.
depends=$(dpkg-deb -f "$work"/out/vexaro-flash_*.deb Depends)
echo "vexaro-flash depends on: $depends"
echo "$depends" | grep -q 'libc6' || fail "no libc6 in the dependencies"
echo "$depends" | grep -q 'libstdc++6' || fail "no libstdc++6 in the dependencies"
desktop='libsdl|libx11|libxcb|libxext|libxkbcommon|libwayland|libdecor|libpulse|libasound|libfontconfig|libfreetype|libharfbuzz|libpng'
echo "$depends" | grep -Eqi "$desktop" && fail "vexaro-flash depends on a desktop library: $depends"
version=$(dpkg-deb -f "$work"/out/vexaro-flash_*.deb Version)
window_depends=$(dpkg-deb -f "$work"/out/vexaro-updater_*.deb Depends)
echo "$window_depends" | grep -q "vexaro-flash (= $version)" ||
  fail "vexaro-updater does not depend on vexaro-flash (= $version): $window_depends"
echo "$window_depends" | grep -qi 'libsdl2' || fail "vexaro-updater does not depend on SDL2: $window_depends"
# The library package leaves the loader's cache to the ldconfig trigger.
dpkg-deb -e "$work"/out/libvexaro-isp1_*.deb "$work/library-control"
[ ! -e "$work/library-control/postinst" ] && [ ! -e "$work/library-control/postrm" ] ||
  fail "libvexaro-isp1 has maintainer scripts"
grep -qx 'activate-noawait ldconfig' "$work/library-control/triggers" || fail "libvexaro-isp1 has no ldconfig trigger"
[ -f "$work/library-control/symbols" ] || fail "libvexaro-isp1 has no symbols file"

# postinst: udev reloads and re-applies rules only where there is a udevadm
# and no chroot. Stand-in udevadm and ischroot record and answer.
dpkg-deb -e "$work"/out/vexaro-flash_*.deb "$work/control"
fake=$work/fake-bin
mkdir -p "$fake"
printf '#!/bin/sh\necho "udevadm $*" >>"%s"\n' "$work/udevadm.log" >"$fake/udevadm"
chmod +x "$fake/udevadm"
run_postinst() {  # run_postinst <ischroot exit status>
  printf '#!/bin/sh\nexit %s\n' "$1" >"$fake/ischroot"
  chmod +x "$fake/ischroot"
  rm -f "$work/udevadm.log"
  PATH="$fake" /bin/sh "$work/control/postinst" configure || fail "postinst failed"
}
run_postinst 1
grep -q "udevadm control --reload-rules" "$work/udevadm.log" || fail "postinst did not reload the udev rules"
grep -q "udevadm trigger" "$work/udevadm.log" || fail "postinst did not trigger udev"
run_postinst 0
[ ! -e "$work/udevadm.log" ] || fail "postinst ran udevadm inside a chroot"
rm "$fake/udevadm"
run_postinst 1

bin=$root/usr/bin
for program in vexaro-flash vexaro-pack; do
  [ -x "$terminal/usr/bin/$program" ] || fail "$program not in vexaro-flash"
  [ -f "$terminal/usr/share/man/man1/$program.1.gz" ] || fail "no manual page for $program in vexaro-flash"
  [ -f "$terminal/usr/share/bash-completion/completions/$program" ] || fail "no bash completion for $program in vexaro-flash"
done
for program in vexaro-updater vexaro-updater-demo; do
  [ ! -e "$terminal/usr/bin/$program" ] || fail "$program in the terminal package"
  [ -x "$bin/$program" ] || fail "$program not installed"
  [ -f "$root/usr/share/man/man1/$program.1.gz" ] || fail "no manual page for $program"
done
# Stripping keeps the engine's functions the updater exports by name.
for program in vexaro-updater vexaro-updater-demo; do
  nm -D --defined-only "$bin/$program" | grep -q ' ISP_WriteProgramB$' || fail "$program lost its ISP_* exports"
done
[ -f "$terminal/usr/lib/udev/rules.d/70-vexaro-keyboard.rules" ] || fail "udev rule not in /usr/lib/udev/rules.d of vexaro-flash"
entry=$root/usr/share/applications/vexaro-updater.desktop
grep -q '^Icon=vexaro-updater$' "$entry" || fail "menu entry without the icon"
# The menu's updater carries the demo firmware: it must say so and reach only
# the simulated keyboard, and no software centre may offer it for a real one.
grep -q '^Name=.*(demo)$' "$entry" || fail "the menu entry's name does not say demo: $(grep '^Name=' "$entry")"
grep -q '^Exec=vexaro-updater-demo --sim$' "$entry" || fail "the menu entry does not run the demo on the simulated keyboard: $(grep '^Exec=' "$entry")"
metainfo=$root/usr/share/metainfo/com.vexaro.Updater.metainfo.xml
[ -f "$metainfo" ] || fail "no AppStream metainfo"
grep -q '<modalias>' "$metainfo" && fail "the metainfo offers the demo for a device (modalias)"
grep -q "<release version=\"${version%-*}\" date=\"[0-9-]*\"" "$metainfo" || fail "the metainfo has no release $version"
if command -v appstreamcli >/dev/null 2>&1; then
  appstreamcli validate --no-net "$metainfo" >"$work/appstream.log" 2>&1 ||
    { cat "$work/appstream.log"; fail "AppStream metainfo invalid"; }
fi
for size in 16 32 48 256; do
  [ -f "$root/usr/share/icons/hicolor/${size}x${size}/apps/vexaro-updater.png" ] || fail "no ${size}px icon"
done

# The terminal package's tool, unpacked alone, installs the package the
# unpacked demo updater carries on a fresh simulated keyboard; the clock runs
# fast.
export VEXARO_SIM_STATE="$work/keyboard-state.bin" VEXARO_CLOCK_SCALE=50
"$terminal/usr/bin/vexaro-flash" --sim "$bin/vexaro-updater-demo" >"$work/flash.log" 2>&1 ||
  { cat "$work/flash.log"; fail "vexaro-flash --sim did not update the keyboard"; }
"$terminal/usr/bin/vexaro-flash" --sim --list "$bin/vexaro-updater-demo" >"$work/list.log" 2>&1 ||
  { cat "$work/list.log"; fail "vexaro-flash --sim --list failed after the update"; }
grep -q "2.07" "$work/list.log" || { cat "$work/list.log"; fail "the keyboard does not carry the new version"; }
"$terminal/usr/bin/vexaro-pack" inspect "$bin/vexaro-updater-demo" >"$work/inspect.log" 2>&1 ||
  { cat "$work/inspect.log"; fail "vexaro-pack inspect refused the demo package"; }
grep -q '"V2.07"' "$work/inspect.log" || { cat "$work/inspect.log"; fail "vexaro-pack inspect shows no version"; }
# The installed demo updater is a stripped copy with the package appended:
# the window, off screen, updates a fresh keyboard too.
rm -f "$VEXARO_SIM_STATE"
VEXARO_DISPLAY=headless "$bin/vexaro-updater-demo" --sim --auto-update >"$work/window.log" 2>&1 ||
  { cat "$work/window.log"; fail "the unpacked vexaro-updater-demo did not update the keyboard"; }

# The library: its SONAME, and a program built from the unpacked header and
# pkg-config file links it and runs against the library's own simulation.
lib=$(ls "$root"/usr/lib/*/libvexaro-isp.so.1 "$root"/usr/lib/libvexaro-isp.so.1 2>/dev/null | head -n 1)
[ -n "$lib" ] || fail "libvexaro-isp.so.1 not installed"
objdump -p "$lib" | grep -q 'SONAME *libvexaro-isp.so.1$' || fail "wrong SONAME"
pc_dir=$(dirname "$(find "$root" -name vexaro-isp.pc)")
flags=$(PKG_CONFIG_PATH="$pc_dir" pkg-config --cflags --libs vexaro-isp) || fail "pkg-config cannot read vexaro-isp.pc"
cat >"$work/use.c" <<'C'
#include <isp_api.h>
#include <stdio.h>
int main(void) {
  /* A call that needs no keyboard and has one right answer. */
  int32_t result = ISP_SetCrcKey(NULL, 0);
  printf("ISP_SetCrcKey(NULL, 0) = %d\n", (int)result);
  return result == ISP_INVALID_ARGUMENTS ? 0 : 1;
}
C
cc -o "$work/use" "$work/use.c" $flags || fail "a program cannot be built with vexaro-isp.pc"
LD_LIBRARY_PATH=$(dirname "$lib") "$work/use" || fail "the program does not run with libvexaro-isp.so.1"
echo "packages install and update the simulated keyboard"
