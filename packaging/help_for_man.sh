#!/bin/sh
# help2man's stand-in for a program: "help_for_man.sh PROGRAM --help" prints
# PROGRAM's --help in the layout help2man reads (help_for_man.awk says which
# and why); any other call goes to PROGRAM unchanged. A --help that fails
# fails the manual page.
#   help_for_man.sh <program> <arguments>...
set -eu
program=$1
shift
if [ "${1:-}" != --help ]; then
  exec "$program" "$@"
fi
text=$("$program" --help) || { echo "$program --help failed" >&2; exit 1; }
printf '%s\n' "$text" | awk -f "$(dirname "$0")/help_for_man.awk"
