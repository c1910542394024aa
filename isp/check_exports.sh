#!/bin/sh
# The library's exports are its ABI: exactly the functions isp_api.h
# declares, no more (a C++ symbol of the engine would become part of the ABI
# the moment a program linked it) and no fewer.
#   check_exports.sh <isp_api.h> <libvexaro-isp.so.1 | vexaro-isp.dll> [symbols file]
# ELF: the defined dynamic symbols (nm -D; NM overrides), each of which must
# carry a version of the library's own. PE: the DLL's export names
# (objdump -p; OBJDUMP overrides). With a Debian symbols file, its entries
# must be the same symbols at those versions.
set -eu
header=$1 library=$2 symbols=${3:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
[ -f "$header" ] || fail "no header $header"
[ -f "$library" ] || fail "no library $library"

# "VEXARO_ISP_API int32_t ISP_ErasePage(int32_t start, int32_t end);"
grep -o '^VEXARO_ISP_API[^(]*(' "$header" | sed 's/($//; s/.*[ *]//' | LC_ALL=C sort -u >"$work/declared"
[ -s "$work/declared" ] || fail "$header declares no VEXARO_ISP_API function"

if [ "$(head -c 2 "$library")" = MZ ]; then
  # "[Ordinal/Name Pointer] Table" lists "\t[   0] ISP_BlankCheck", up to a blank line.
  "${OBJDUMP:-objdump}" -p "$library" >"$work/dump" || fail "objdump cannot read $library"
  sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/s/^[[:space:]]*\[ *[0-9]*\] //p' "$work/dump" |
    LC_ALL=C sort -u >"$work/exported"
else
  # "0000000000003a10 T ISP_BlankCheck@@VEXARO_ISP_1.0"; the version node
  # itself is an absolute symbol (A) of its own name (which llvm-nm writes
  # with its version behind it, as "VEXARO_ISP_1.0@@VEXARO_ISP_1.0").
  "${NM:-nm}" -D --defined-only "$library" >"$work/dump" || fail "nm cannot read $library"
  awk '$2 != "A" { print $3 }' "$work/dump" >"$work/versioned"
  grep -v '@@VEXARO_ISP_[0-9.]*$' "$work/versioned" >"$work/unversioned" &&
    fail "$library exports symbols without the library's version: $(tr '\n' ' ' <"$work/unversioned")"
  sed 's/@.*//' "$work/versioned" | LC_ALL=C sort -u >"$work/exported"
fi

LC_ALL=C comm -23 "$work/declared" "$work/exported" >"$work/missing"
LC_ALL=C comm -13 "$work/declared" "$work/exported" >"$work/extra"
[ -s "$work/missing" ] && fail "$library does not export what $header declares: $(tr '\n' ' ' <"$work/missing")"
[ -s "$work/extra" ] && fail "$library exports what $header does not declare: $(tr '\n' ' ' <"$work/extra")"

if [ -n "$symbols" ]; then
  # " ISP_BlankCheck@VEXARO_ISP_1.0 1.0.0": the functions, and the version
  # node's own entry, at the versions the library gives them.
  sed -n 's/^ \([^ ]*\) .*/\1/p' "$symbols" | LC_ALL=C sort -u >"$work/listed"
  { sed 's/@@/@/' "$work/versioned"; awk '$2 == "A" { node = $3; sub(/@.*/, "", node); print node "@" node }' "$work/dump"; } |
    LC_ALL=C sort -u >"$work/expected"
  LC_ALL=C cmp -s "$work/listed" "$work/expected" ||
    fail "$symbols does not list the library's symbols:
$(LC_ALL=C diff "$work/listed" "$work/expected" | grep '^[<>]')
(< only in the symbols file, > only in the library)"
fi
count=$(wc -l <"$work/exported")
echo "$library exports the $count functions of $header"
