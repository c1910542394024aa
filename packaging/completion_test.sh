#!/bin/bash
# The bash completions as bash runs them: each script parses, completes an
# option from its prefix, offers file names where a FILE goes and nothing
# where a number or text goes, and offers every option the program's --help
# names (so an option added to a program without its completion shows here).
# Bash, not sh: it drives bash's own completion functions.
#   completion_test.sh <completions folder> <vexaro-flash> <vexaro-pack>
set -u
completions=$(cd "$1" && pwd) flash=$(command -v "$2") pack=$(command -v "$3")
case $flash in /*) ;; *) flash=$PWD/$flash ;; esac
case $pack in /*) ;; *) pack=$PWD/$pack ;; esac
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

for script in "$completions"/vexaro-flash "$completions"/vexaro-pack; do
  bash -n "$script" || fail "$script does not parse"
done
# shellcheck source=/dev/null
. "$completions"/vexaro-flash
# shellcheck source=/dev/null
. "$completions"/vexaro-pack

# offers "EXPECTED WORDS" COMMAND WORDS...: completes the last word of the
# command line and compares the sorted offers.
offers() {
  local expected=$1 function
  shift
  COMP_WORDS=("$@")
  COMP_CWORD=$(($# - 1))
  function=$(complete -p "$1" | sed 's/.*-F \([^ ]*\) .*/\1/')
  COMPREPLY=()
  "$function" "$1" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  local got
  got=$(printf '%s\n' "${COMPREPLY[@]}" | grep -v '^$' | LC_ALL=C sort | tr '\n' ' ')
  got=${got% }
  [ "$got" = "$expected" ] || fail "'$*': offered '$got', expected '$expected'"
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
touch firmware.bin first.conf
mkdir folder

offers "--list" vexaro-flash --li
offers "--all --allow-any-version" vexaro-flash --al
offers "firmware.bin first.conf" vexaro-flash --sim "fi"
offers "folder" vexaro-flash fo
offers "" vexaro-flash --device "fi"
offers "build" vexaro-pack b
offers "--out" vexaro-pack build --internal a.bin --ou
offers "firmware.bin" vexaro-pack build --exe firm
offers "" vexaro-pack build --version "fi"
offers "1 2" vexaro-pack build --slot ""
offers "firmware.bin first.conf" vexaro-pack inspect "fi"

# Every option --help names, completed from its full name.
"$flash" --help | sed -n 's/^ \{1,8\}\(-[-A-Za-z0-9]*\).*/\1/p' | sort -u >"$work/flash-options"
[ -s "$work/flash-options" ] || fail "$flash --help lists no option"
while read -r option; do
  COMP_WORDS=(vexaro-flash "$option")
  COMP_CWORD=1
  _vexaro_flash
  printf '%s\n' "${COMPREPLY[@]}" | grep -qx -- "$option" || fail "vexaro-flash: $option of --help is not completed"
done <"$work/flash-options"
"$pack" build --help | grep -o -- '--[a-z-]*' | sort -u >"$work/pack-options"
[ -s "$work/pack-options" ] || fail "$pack build --help lists no option"
while read -r option; do
  COMP_WORDS=(vexaro-pack build "$option")
  COMP_CWORD=2
  _vexaro_pack
  printf '%s\n' "${COMPREPLY[@]}" | grep -qx -- "$option" || fail "vexaro-pack build: $option of --help is not completed"
done <"$work/pack-options"

[ "$failures" -eq 0 ] || exit 1
echo "completions of vexaro-flash ($(wc -l <"$work/flash-options") options) and vexaro-pack build ($(wc -l <"$work/pack-options") options) complete"
