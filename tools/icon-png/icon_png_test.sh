#!/bin/sh
# icon-png writes every image of the program icon, the same bytes each run,
# and refuses damaged files with a message instead of reading past them.
#   icon_png_test.sh <icon-png> <file.ico>
set -eu
tool=$1 ico=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

"$tool" "$ico" "$work/a" app || fail "the program icon was refused"
"$tool" "$ico" "$work/b" app || fail "the second run failed"
for size in 16 24 32 48 64 256; do
  png=$work/a/${size}x${size}/apps/app.png
  [ -f "$png" ] || fail "no ${size}x${size} image"
  cmp -s "$png" "$work/b/${size}x${size}/apps/app.png" || fail "${size}x${size} differs between runs"
done

refused() {  # refused <file> <expected message part>
  if "$tool" "$1" "$work/out" app 2>"$work/err"; then fail "$1 was accepted"; fi
  grep -q "$2" "$work/err" || { cat "$work/err"; fail "$1: no \"$2\" message"; }
}
refused "$work/missing.ico" "cannot be read"
printf 'BM not an icon' >"$work/bmp.ico"
refused "$work/bmp.ico" "not an .ico file"
head -c 38 "$ico" >"$work/directory-cut.ico"       # two of six directory entries
refused "$work/directory-cut.ico" "directory exceeds the file"
head -c 2000 "$ico" >"$work/image-cut.ico"          # the 24x24 image runs past the end
refused "$work/image-cut.ico" "outside the file"
cp "$ico" "$work/wrong-size.ico"                    # first entry says 17 wide, its image is 16
printf '\021' | dd of="$work/wrong-size.ico" bs=1 seek=6 conv=notrunc 2>/dev/null
refused "$work/wrong-size.ico" "not the size its directory entry says"
echo "icon-png writes the icon and refuses damaged files"
