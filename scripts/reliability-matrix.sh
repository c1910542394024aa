#!/bin/sh
# Runs the fault campaign with a larger sample and prints its matrix (fault
# kind x stage) as markdown, for docs/reliability.md. Two shards run side by
# side; the campaign mostly waits on the scaled clock, so they share two
# cores well. FILTER picks set-ups (default every one); each shard's log is
# kept as BUILD_DIR/reliability-matrix.N.log.
#   scripts/reliability-matrix.sh [BUILD_DIR] [stages|full] [FILTER]
#   scripts/reliability-matrix.sh build/dev full 'Campaign/*IapExternal*:Campaign/*IspInternal*'
set -eu
build=${1:-build/dev}
sample=${2:-stages}
filter=${3:-Campaign/*}
rows=$(mktemp)
trap 'rm -f "$rows" "$rows".0 "$rows".1' EXIT
logs="$build/reliability-matrix"
pids=""
for shard in 0 1; do
  VEXARO_RELIABILITY_SAMPLE=$sample VEXARO_RELIABILITY_MATRIX=$rows.$shard \
    GTEST_TOTAL_SHARDS=2 GTEST_SHARD_INDEX=$shard \
    "$build/tests/reliability/reliability_tests" --gtest_filter="$filter" >"$logs.$shard.log" 2>&1 &
  pids="$pids $!"
done
# A bare wait returns 0 whatever the shards did; each one is waited for.
status=0
for pid in $pids; do wait "$pid" || status=1; done
cat "$rows".0 "$rows".1 >"$rows"
grep -h -A12 'Failure' "$logs".0.log "$logs".1.log >&2 || true
python3 - "$rows" <<'PY'
import sys, collections
order = ["start-up", "connect", "erase external", "program external", "verify external", "erase",
         "reset", "reconnect", "program", "verify", "digest", "version", "start application", "read back"]
kinds = ["unplug", "failed write", "reply lost", "reply corrupted", "power loss", "no re-enumeration", "wrong mode"]
cells = collections.defaultdict(lambda: [0, 0, 0, 0, 0, set()])
for line in open(sys.argv[1]):
    setup, kind, stage, cases, rec, absorbed, bad, ms = line.rstrip("\n").split("\t")
    c = cells[(kind, stage)]
    for i, v in enumerate((cases, rec, absorbed, bad)):
        c[i] += int(v)
    c[4] = max(c[4], int(ms))
    c[5].add(setup)
print("| stage | " + " | ".join(kinds) + " |")
print("|---" * (len(kinds) + 1) + "|")
for stage in order:
    row = []
    for kind in kinds:
        c = cells.get((kind, stage))
        if not c:
            row.append("")
            continue
        cases, rec, absorbed, bad, ms, _ = c
        text = ("**not** %d/%d" % (bad, cases) if bad else
                "recovered %d" % rec + (" + absorbed %d" % absorbed if absorbed else "") if rec else
                "absorbed %d" % absorbed)
        row.append("%s, ≤%d s" % (text, (ms + 999) // 1000))
    if any(row):
        print("| " + stage + " | " + " | ".join(row) + " |")
PY
exit $status
