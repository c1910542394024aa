#!/bin/sh
# The manual pages as the packages install them: each renders at 80 columns
# without a warning from man or groff, names no path of the source or build
# tree, keeps one synopsis line per form and no heading inside its
# DESCRIPTION. A page made from --help (PAGE=PROGRAM) also shows each option
# of PROGRAM's --help as an entry of its own.
#   man_test.sh <source dir> <build dir> <page.1.gz>[=<program>]...
set -eu
unset MAN_KEEP_FORMATTING
source_dir=$1 build_dir=$2
shift 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

for argument in "$@"; do
  page=${argument%%=*}
  program=""
  [ "$page" = "$argument" ] || program=${argument#*=}
  name=$(basename "$page" .1.gz)
  [ -f "$page" ] || { fail "$name: no page $page"; continue; }
  # man --warnings lets groff report every problem it meets (a line it
  # cannot break or adjust, an unknown request, a bad escape).
  MANWIDTH=80 man --warnings -l "$page" >"$work/$name.txt" 2>"$work/$name.err" ||
    fail "$name: man cannot render $page"
  [ -s "$work/$name.err" ] && fail "$name: warnings while rendering:
$(cat "$work/$name.err")"
  gzip -dc "$page" >"$work/$name.1"
  for tree in "$source_dir" "$build_dir"; do
    grep -n "$tree" "$work/$name.1" >"$work/paths" && fail "$name: names the tree $tree:
$(cat "$work/paths")"
  done
  grep -Eqn '(^|[ (])build/' "$work/$name.txt" && fail "$name: shows a build folder:
$(grep -En '(^|[ (])build/' "$work/$name.txt")"

  # The sections: headings start in column 1, text is indented.
  awk -v name="$name" '
    /^[A-Z][A-Z ]+$/ { section = $0; next }
    section == "SYNOPSIS" && /^       [^ ]/ {
      line = $0
      count = gsub(name " ", "", line)
      if (count > 1) print "two synopsis forms joined on one line: " $0
    }
    section == "DESCRIPTION" && /^ +[A-Z][A-Z ]+$/ { print "a heading inside DESCRIPTION: " $0 }
  ' "$work/$name.txt" >"$work/layout"
  [ -s "$work/layout" ] && fail "$name: $(cat "$work/layout")"

  if [ -n "$program" ]; then
    # "    --list", "    --help, -h", "  --out FILE": the options --help
    # lists at the start of a line; each must start an entry of the page.
    "$program" --help 2>&1 | sed -n 's/^ \{1,8\}\(-[-A-Za-z0-9]*\).*/\1/p' | sort -u >"$work/options"
    while read -r option; do
      grep -q "^       $option\([ ,]\|$\)" "$work/$name.txt" ||
        fail "$name: $option of --help is no entry of the page"
    done <"$work/options"
  fi
  [ "$failures" -eq 0 ] && echo "$name: renders cleanly ($(wc -l <"$work/$name.txt") lines)"
done
[ "$failures" -eq 0 ]
