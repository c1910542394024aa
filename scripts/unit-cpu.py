#!/usr/bin/env python3
"""CPU seconds (user+system) of compiling the combined units of the targets
named, each unit's command taken from the build's compile_commands.json and
run alone with its output thrown away: less disturbed by other work than
wall seconds, though not free of it. With --without-pch, each unit again
without the shared precompiled test header.
  python3 scripts/unit-cpu.py BUILD-DIR TARGET... [--without-pch]"""
import json
import re
import resource
import subprocess
import sys


def cpu_seconds(command, directory):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    result = subprocess.run(command, shell=True, cwd=directory, stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE, text=True)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    if result.returncode != 0:
        print(result.stderr[-2000:], file=sys.stderr)
        sys.exit(f"failed: {command[:200]}")
    return after.ru_utime - before.ru_utime + after.ru_stime - before.ru_stime


def main():
    args = [a for a in sys.argv[1:] if not a.startswith("--")]
    without_pch = "--without-pch" in sys.argv
    if len(args) < 2:
        sys.exit(__doc__)
    build, targets = args[0], args[1:]
    with open(f"{build}/compile_commands.json") as f:
        entries = json.load(f)
    for target in targets:
        units = [e for e in entries if f"/{target}.dir/Unity/" in e["file"]]
        with_header = plain = 0.0
        for e in units:
            command = re.sub(r" -o \S+", " -o /dev/null", e["command"])
            command = re.sub(r" -M[FT] \S+| -MD", "", command)
            with_header += cpu_seconds(command, e["directory"])
            if without_pch:
                plain += cpu_seconds(re.sub(r" -Winvalid-pch -include \S+", "", command), e["directory"])
        line = f"{target}: {len(units)} units, {with_header:.1f} s"
        if without_pch:
            line += f"; without the shared header {plain:.1f} s"
        print(line, flush=True)


if __name__ == "__main__":
    main()
