#!/usr/bin/python3
"""Mutation check: puts one-line faults into a scratch copy of the sources,
one at a time, builds the subsystem's test programs, runs them and prints the
faults that no test caught.

Each list (scripts/mutation/*.faults) names the build targets and the test
commands of one subsystem, then one fault per line:

    @targets isp_tests isp_engine_replies_fuzz
    @run tests/isp/isp_tests
    @run fuzz/isp/isp_engine_replies_fuzz {src}/fuzz/isp/corpus/engine_replies
    isp/flash_ops.cpp @@ text to find @@ text to put @@ what the fault stands for

The text to find must occur exactly once in the file. '@run' commands are
relative to the build directory; {src} is the scratch copy's root. Blank
lines and lines starting with '#' are ignored. A fault is caught when a test
command fails, crashes or runs past the time limit.

Runs outside CI: every fault is a rebuild and a full test run.
"""
import argparse
import os
import shlex
import subprocess
import sys
import time
from pathlib import Path

SEPARATOR = " @@ "
HERE = Path(__file__).resolve().parent
REPO = HERE.parent.parent


class Fault:
    def __init__(self, list_name, line_no, path, find, put, why):
        self.list_name, self.line_no = list_name, line_no
        self.path, self.find, self.put, self.why = path, find, put, why

    def label(self):
        return f"{self.list_name}:{self.line_no} {self.path}: {self.why}"


class FaultList:
    def __init__(self, path):
        self.name = path.stem
        self.targets, self.runs, self.faults, self.errors = [], [], [], []
        for no, raw in enumerate(path.read_text().splitlines(), 1):
            line = raw.rstrip("\n")
            if not line.strip() or line.lstrip().startswith("#"):
                continue
            if line.startswith("@targets "):
                self.targets += line.split()[1:]
            elif line.startswith("@run "):
                self.runs.append(line[len("@run "):].strip())
            else:
                parts = line.split(SEPARATOR)
                if len(parts) != 4:
                    self.errors.append(f"{self.name}:{no}: expected 'file @@ find @@ put @@ why'")
                    continue
                path_text, find, put, why = parts
                self.faults.append(Fault(self.name, no, path_text.strip(), find, put, why.strip()))


def source_files(repo):
    """Tracked and new (not ignored) files of the working tree."""
    out = subprocess.run(["git", "ls-files", "-z", "-c", "-o", "--exclude-standard"],
                         cwd=repo, check=True, capture_output=True).stdout
    return [name for name in out.decode().split("\0") if name]


def sync_copy(repo, scratch):
    """Copies the working tree; files whose bytes are unchanged keep their
    time stamps, so the build directory stays incremental between runs."""
    for name in source_files(repo):
        src, dst = repo / name, scratch / name
        if not src.is_file():
            continue
        data = src.read_bytes()
        if dst.is_file() and dst.read_bytes() == data:
            continue
        dst.parent.mkdir(parents=True, exist_ok=True)
        dst.write_bytes(data)
        os.chmod(dst, src.stat().st_mode)


def configure(scratch, build):
    if (build / "CMakeCache.txt").exists():
        return
    subprocess.run(["cmake", "-S", str(scratch), "-B", str(build), "-G", "Ninja",
                    "-DCMAKE_BUILD_TYPE=Debug", "-DCMAKE_CXX_COMPILER_LAUNCHER=ccache",
                    "-DCMAKE_C_COMPILER_LAUNCHER=ccache"], check=True,
                   stdout=subprocess.DEVNULL)


def build(build_dir, targets, jobs):
    result = subprocess.run(["cmake", "--build", str(build_dir), f"-j{jobs}", "--target", *targets],
                            capture_output=True, text=True)
    return result.returncode == 0, result.stdout[-3000:] + result.stderr[-3000:]


def run_tests(build_dir, scratch, runs, timeout):
    """Name of the first command that failed, or None when all passed."""
    for run in runs:
        argv = shlex.split(run.replace("{src}", str(scratch)))
        argv[0] = str(build_dir / argv[0])
        try:
            result = subprocess.run(argv, cwd=build_dir, capture_output=True, timeout=timeout)
        except subprocess.TimeoutExpired:
            return f"{run} (timed out)"
        if result.returncode != 0:
            return run + failed_test_names(result.stdout)
    return None


def failed_test_names(output):
    """': A.b, C.d' from a GoogleTest summary; empty for other programs."""
    names = []
    for line in output.decode(errors="replace").splitlines():
        parts = line.split()
        if line.startswith("[  FAILED  ] ") and len(parts) > 3 and "." in parts[3]:
            name = parts[3].rstrip(",")
            if name not in names:
                names.append(name)
    return ": " + ", ".join(names) if names else ""


def check_fault(fault, scratch):
    target = scratch / fault.path
    if not target.is_file():
        return f"no file {fault.path}"
    count = target.read_text().count(fault.find)
    if count != 1:
        return f"text found {count} times in {fault.path}: {fault.find!r}"
    return None


def mutate_one(fault, scratch, build_dir, fault_list, args):
    target = scratch / fault.path
    original = target.read_text()
    target.write_text(original.replace(fault.find, fault.put, 1))
    try:
        built, log = build(build_dir, fault_list.targets, args.jobs)
        if not built:
            return "does not build", log
        failed = run_tests(build_dir, scratch, fault_list.runs, args.timeout)
        return ("caught by " + failed, "") if failed else ("SURVIVED", "")
    finally:
        target.write_text(original)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("lists", nargs="*", help="fault lists (default: every *.faults here)")
    parser.add_argument("--scratch", default="/tmp/vexaro-mutation",
                        help="directory for the copy and its build (reused between runs)")
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--timeout", type=int, default=120,
                        help="seconds per test command (the unchanged tests take a few)")
    parser.add_argument("--only", type=int, action="append", help="line numbers to run")
    parser.add_argument("--report", help="also write the summary to this file")
    args = parser.parse_args()

    lists = [FaultList(Path(p)) for p in args.lists] or \
        [FaultList(p) for p in sorted(HERE.glob("*.faults"))]
    scratch, build_dir = Path(args.scratch) / "src", Path(args.scratch) / "build"
    scratch.mkdir(parents=True, exist_ok=True)
    sync_copy(REPO, scratch)
    configure(scratch, build_dir)

    summary, survivors, broken = [], [], [l for fl in lists for l in fl.errors]
    for fl in lists:
        built, log = build(build_dir, fl.targets, args.jobs)
        if not built or run_tests(build_dir, scratch, fl.runs, args.timeout):
            broken.append(f"{fl.name}: the unchanged sources do not build or pass\n{log}")
            continue
        caught = 0
        faults = [f for f in fl.faults if not args.only or f.line_no in args.only]
        for fault in faults:
            problem = check_fault(fault, scratch)
            if problem:
                broken.append(f"{fault.label()}: {problem}")
                continue
            started = time.monotonic()
            verdict, log = mutate_one(fault, scratch, build_dir, fl, args)
            print(f"{fault.label()}: {verdict} ({time.monotonic() - started:.0f} s)", flush=True)
            if verdict == "SURVIVED":
                survivors.append(fault.label())
            elif verdict == "does not build":
                broken.append(f"{fault.label()}: does not build\n{log}")
            else:
                caught += 1
        summary.append(f"{fl.name}: {caught} of {len(faults)} faults caught")
        build(build_dir, fl.targets, args.jobs)  # leave the build matching the sources

    lines = summary + ["survivors:"] + (survivors or ["none"])
    if broken:
        lines += ["list errors:"] + broken
    text = "\n".join(lines)
    print(text)
    if args.report:
        Path(args.report).write_text(text + "\n")
    return 1 if survivors or broken else 0


if __name__ == "__main__":
    sys.exit(main())
