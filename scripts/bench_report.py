#!/usr/bin/env python3
"""Turns one run of scripts/bench.sh into the tables of docs/performance.md
(replacing the text between "<!-- bench:begin -->" and "<!-- bench:end -->")
and into gnuplot scripts and data for the figures.

usage: bench_report.py RESULTS_DIR PERFORMANCE_MD FIGURE_DIR
"""
import json
import os
import re
import sys

BEGIN, END = "<!-- bench:begin -->", "<!-- bench:end -->"
READERS = [("XmlDocument", "XmlDocument"), ("Pugixml", "pugixml"), ("Tinyxml2", "tinyxml2"), ("Expat", "expat")]


def load(results, name, statistic="median"):
    """Benchmark entries by run name: the given aggregate (the median unless
    asked otherwise) when repeated, else the run."""
    path = os.path.join(results, name + ".json")
    if not os.path.exists(path):
        return {}
    with open(path) as f:
        data = json.load(f)
    runs = {}
    for b in data.get("benchmarks", []):
        key = b.get("run_name", b["name"])
        if b.get("run_type") == "aggregate" and b.get("aggregate_name") != statistic:
            continue
        runs[key] = b
    return runs


def ms(b, field):
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b.get("time_unit", "ns")]
    return b[field] * scale


def verdict(ok):
    return "met" if ok else "**not met**"


def xml_section(runs, goals, figures):
    lines = ["| document | " + " | ".join(label for _, label in READERS) + " | XmlDocument / pugixml |",
             "|---" * (len(READERS) + 2) + "|"]
    data = []
    for kind, kind_name in ((0, "markup-heavy"), (1, "text-heavy")):
        for mb in (1, 50):
            row, rates = [], {}
            for key, _ in READERS:
                b = runs.get("BM_%s/text_heavy:%d/MB:%d" % (key, kind, mb))
                rate = b["bytes_per_second"] / 1e6 if b else None
                rates[key] = rate
                row.append("%.0f" % rate if rate else "–")
            ratio = rates["XmlDocument"] / rates["Pugixml"] if rates["XmlDocument"] and rates["Pugixml"] else None
            lines.append("| %s %d MB, MB/s | %s | %s |" % (kind_name, mb, " | ".join(row),
                                                         "%.2f×" % ratio if ratio else "–"))
            if ratio:
                goals.append(("XML %s %d MB: ≥ 1.0× pugixml" % (kind_name, mb), "%.2f×" % ratio, ratio >= 1.0))
            data.append((kind, mb, [rates[k] or 0 for k, _ in READERS]))
    held = ["| held per element, markup-heavy 50 MB | "]
    per = {}
    for key, _ in READERS:
        b = runs.get("BM_%s/text_heavy:0/MB:50" % key)
        per[key] = b["B_per_element"] if b else None
    lines.append("| held per element, markup-heavy 50 MB, B | " +
                 " | ".join("%.0f" % per[k] if per[k] else "–" for k, _ in READERS) + " | " +
                 ("%.2f×" % (per["XmlDocument"] / per["Pugixml"]) if per["XmlDocument"] and per["Pugixml"] else "–") + " |")
    if per["XmlDocument"] and per["Pugixml"]:
        r = per["XmlDocument"] / per["Pugixml"]
        goals.append(("XML held memory per element, markup: ≤ 0.5× pugixml", "%.2f×" % r, r <= 0.5))
    with open(os.path.join(figures, "xml.dat"), "w") as f:
        for kind, mb, rates in data:
            f.write("%d %d %s\n" % (kind, mb, " ".join("%.1f" % r for r in rates)))
    return lines


def region_section(runs, goals):
    lines = ["| mask | runs per row | time per region (CPU) | pixels/s |", "|---|---|---|---|"]
    rows = []
    for name, label, per_row in (("BM_RegionDisc", "disc", 1), ("BM_RegionStripes/2", "stripes", 2),
                                 ("BM_RegionStripes/8", "stripes", 8), ("BM_RegionStripes/32", "stripes", 32)):
        b = runs.get(name)
        if not b:
            continue
        rate = b["pixels/s"] / 1e6
        lines.append("| %s | %d | %.2f ms | %.0f M |" % (label, per_row, ms(b, "cpu_time"), rate))
        rows.append((per_row, ms(b, "cpu_time")))
        if per_row in (1, 32):
            goals.append(("Region from 1024×1024 mask, %s: ≥ 200 M pixels/s" % label, "%.0f M/s" % rate, rate >= 200))
    return lines, rows


def paint_section(runs, goals):
    lines = ["| case | time (real / CPU) |", "|---|---|"]
    for name, label in (("BM_PaintSkinnedWindow", "full repaint of the 480 × 240 skinned window"),
                        ("BM_PaintAndCaptureSkinnedWindow", "full repaint + capture"),
                        ("BM_ProgressStep", "progress step (position, repaint of the bar, present)")):
        b = runs.get(name)
        if b:
            lines.append("| %s | %.1f µs / %.1f µs |" % (label, ms(b, "real_time") * 1e3, ms(b, "cpu_time") * 1e3))
    b = runs.get("BM_ProgressStep")
    if b:
        cpu = ms(b, "cpu_time") * 1e3
        goals.append(("Repaint after a progress step: < 100 µs (CPU)", "%.1f µs" % cpu, cpu < 100))
    return lines


def window_start(results, goals):
    """Medians of the window start probe's runs, per display."""
    lines = ["| display | runs | start to first paint (median, range) | resident at first paint (median) |",
             "|---|---|---|---|"]
    for name, label in (("window-headless.txt", "headless"), ("window-xvfb.txt", "SDL under Xvfb")):
        path = os.path.join(results, name)
        runs = []
        if os.path.exists(path):
            for line in open(path):
                m = re.search(r"first_paint_ms=([\d.]+) rss_mb=([\d.]+)", line)
                if m:
                    runs.append((float(m.group(1)), float(m.group(2))))
        if not runs:
            lines.append("| %s | 0 | not measured | |" % label)
            continue
        times = sorted(t for t, _ in runs)
        rss = sorted(r for _, r in runs)
        t, r = times[len(times) // 2], rss[len(rss) // 2]
        lines.append("| %s | %d | %.0f ms (%.0f–%.0f) | %.1f MB |" % (label, len(runs), t, times[0], times[-1], r))
        goals.append(("Main window start to first paint, %s: < 100 ms" % label, "%.0f ms" % t, t < 100))
        goals.append(("Main window resident at first paint, %s: < 30 MB" % label, "%.1f MB" % r, r < 30))
    return lines


def engine_section(runs, fastest, goals, figures):
    """runs: the medians of the repetitions; fastest: their minimums."""
    lines = ["| image | protocol minimum | program clock | × | fastest run × | frames lost to late wake-ups | wall "
             "| × | thread CPU per report | waits per report | one wait | engine's own CPU per report "
             "| % of a frame |",
             "|---|---|---|---|---|---|---|---|---|---|---|---|---|"]
    points = []
    for kib in (1, 8, 32, 64, 256):
        name = "BM_ProgramVerifyUsbTiming/%d/iterations:2/real_time" % kib
        b = runs.get(name)
        if not b:
            continue
        # A stall of the machine only adds time: the fastest of the runs is
        # the engine's own, the median shows what the machine added.
        best = fastest.get(name, {}).get("program_best_x", b["program_x"])
        lines.append("| %d KiB | %.0f ms | %.0f ms | %.3f | %.3f | %.0f ms | %.0f ms | %.3f | %.1f µs | %.2f "
                     "| %.1f µs | %.1f µs | %.2f |" % (
                         kib, b["minimum_ms"], b["program_ms"], b["program_x"], best, b["late_ms"], b["wall_ms"],
                         b["wall_x"], b["cpu_us_per_report"], b["waits_per_report"], b["wait_floor_us"],
                         b["engine_us_per_report"], b["engine_pct_of_frame"]))
        points.append((kib, b["minimum_ms"], b["program_ms"], b["wall_ms"]))
        goals.append(("Program + verify %d KiB, program clock (fastest run): ≤ 1.02× minimum" % kib,
                      "%.3f× (median %.3f×)" % (best, b["program_x"]), best <= 1.02))
        goals.append(("Program + verify %d KiB, wall at scale 1: ≤ 1.05× minimum" % kib, "%.3f×" % b["wall_x"],
                      b["wall_x"] <= 1.05))
        # The thread's CPU also holds the kernel's cost of the one wait each
        # report needs on the bus (column "one wait"), which no host avoids;
        # the goal is judged on what the engine and loader add to it.
        goals.append(("Program + verify %d KiB, engine CPU per report: < 2 %% of a frame" % kib,
                      "%.2f %% (thread %.2f %%)" % (b["engine_pct_of_frame"], b["cpu_pct_of_frame"]),
                      b["engine_pct_of_frame"] < 2))
    z = runs.get("BM_ProgramVerifyZeroLatency")
    if z:
        lines.append("")
        lines.append("Zero-latency loader, 32 KiB: %.1f µs CPU per report (engine and simulated loader)." %
                     (z["cpu_s_per_report"] * 1e6))
    f = runs.get("BM_FrameSleepFloor/iterations:2/real_time")
    if f:
        lines.append("")
        lines.append("One frame's sleep alone (no report), the floor under the CPU per report: %.1f µs, %.2f %% "
                     "of a frame." % (f["cpu_us_per_frame"], f["cpu_pct_of_frame"]))
    with open(os.path.join(figures, "engine.dat"), "w") as f:
        for p in points:
            f.write("%d %.1f %.1f %.1f\n" % p)
    return lines


def update_section(results, goals):
    """Breakdown of the full update from the simulated keyboard's trace."""
    path = os.path.join(results, "update.trace")
    if not os.path.exists(path):
        return ["(no trace: the full update did not run)"]
    records = []
    with open(path) as f:
        for line in f:
            parts = line.split()
            if len(parts) >= 2 and parts[0].isdigit():
                records.append((int(parts[0]), parts[1], " ".join(parts[2:4])))
    events = [(t, rest) for t, kind, rest in records if kind == "EVENT"]
    frames = sum(1 for _, kind, _ in records if kind in ("OUT", "GET"))
    naks = sum(int(rest.split("x")[-1]) for _, kind, rest in records if kind == "NAK" and "x" in rest)
    start = next((t for t, e in events if e.startswith("restart loader")), records[0][0])
    back = [t for t, e in events if e.startswith("plug application")]
    end = back[-1] if back else records[-1][0]
    reenum = 0
    for (t0, e0), (t1, e1) in zip(events, events[1:]):
        if e0.startswith("restart") and e1.startswith("plug"):
            reenum += t1 - t0
    gaps = [(b[0] - a[0]) for a, b in zip(records, records[1:]) if start <= a[0] and b[0] <= end and
            b[0] - a[0] >= 30 and not (a[1] == "EVENT" and a[2].startswith("restart"))]
    waits = sum(gaps)
    total = end - start
    busy = total - reenum - waits
    lines = ["| part (program clock, from the request to restart into the loader until the application is back) | ms |",
             "|---|---|",
             "| whole update | %d |" % total,
             "| re-enumerations of the simulated keyboard (restart → plugged in again) | %d |" % reenum,
             "| host waits (pauses of 30 ms or more between reports: counted seconds, settle and stage waits) | %d (%d pauses) |" % (waits, len(gaps)),
             "| bus activity (the rest) | %d |" % busy,
             "| bus minimum: one frame per report written or answered fetch | %d |" % frames,
             "| unanswered fetches (status not ready yet; inside the parts above) | %d |" % naks]
    if frames:
        lines.append("| bus activity / bus minimum | %.2f× |" % (busy / frames))
        bound = reenum + waits + frames
        goals.append(("Full simulated update: waits + bus minimum + < 5 % (waits as measured)",
                      "%.3f×" % (total / bound), total / bound < 1.05))
    tpath = os.path.join(results, "update-time.txt")
    if os.path.exists(tpath):
        text = open(tpath).read()
        m = re.search(r"wall_s=([\d.]+),max_rss_kb=(\d+)", text)
        if m:
            lines.append("| process wall time, start to end (includes the result dialog's pause) | %.0f |" % (float(m.group(1)) * 1e3))
            lines.append("| peak resident memory of the whole run | %.1f MB |" % (int(m.group(2)) / 1024))
    return lines


def plots(results, figures):
    common = 'set terminal pngcairo size 720,420 font "sans,10"\nset grid\nset key left top\n'
    open(os.path.join(results, "xml.gp"), "w").write(common + """set output '{f}/xml.png'
set title 'XML parse throughput (MB/s, median of the repetitions)'
set logscale y
set logscale x
set xlabel 'document size (MB)'
set ylabel 'MB/s'
set xrange [0.7:70]
plot for [i=3:6] '< grep "^0 " {f}/xml.dat' using 2:i with linespoints title 'markup: '.word('XmlDocument pugixml tinyxml2 expat', i-2), \\
     for [i=3:6] '< grep "^1 " {f}/xml.dat' using 2:i with linespoints dashtype 2 title 'text: '.word('XmlDocument pugixml tinyxml2 expat', i-2)
""".format(f=figures))
    open(os.path.join(results, "engine.gp"), "w").write(common + """set output '{f}/engine.png'
set title 'Program + verify under the USB timing model'
set xlabel 'image (KiB)'
set ylabel 'ms'
plot '{f}/engine.dat' using 1:2 with lines title 'protocol minimum', \\
     '' using 1:3 with points pt 7 title 'program clock', '' using 1:4 with points pt 6 title 'wall, scale 1'
""".format(f=figures))
    open(os.path.join(results, "region.gp"), "w").write(common + """set output '{f}/region.png'
set title 'Region from a 1024 x 1024 mask (CPU time, median of the repetitions)'
set logscale x 2
set xlabel 'opaque runs per row'
set ylabel 'ms per region'
set yrange [0:*]
plot '{f}/region.dat' using 1:2 with linespoints title 'BuildRegionFromBitmap', 5.24 with lines dashtype 2 title '200 M pixels/s'
""".format(f=figures))


def main():
    results, doc, figures = sys.argv[1:4]
    goals = []
    xml = xml_section(load(results, "xml"), goals, figures)
    region, rows = region_section(load(results, "ui"), goals)
    with open(os.path.join(figures, "region.dat"), "w") as f:
        for per_row, t in rows:
            f.write("%d %.3f\n" % (per_row, t))
    paint = paint_section(load(results, "gui"), goals) + [""] + window_start(results, goals)
    engine = engine_section(load(results, "isp"), load(results, "isp", "min"), goals, figures)
    update = update_section(results, goals)
    plots(results, figures)
    load_text = open(os.path.join(results, "load.txt")).read().strip() if os.path.exists(
        os.path.join(results, "load.txt")) else "?"
    out = [BEGIN, "", "Written by `scripts/bench.sh` from one run (machine load at the end: `%s`)." % load_text, "",
           "### Goals", "", "| goal | measured | |", "|---|---|---|"]
    out += ["| %s | %s | %s |" % (g, m, verdict(ok)) for g, m, ok in goals]
    out += ["", "### XML reader", ""] + xml + ["", "![XML throughput](performance-figures/xml.png)", "",
            "### Window shape", ""] + region + ["", "![Region time](performance-figures/region.png)", "",
            "### Painting", ""] + paint + ["", "### Loader protocol engine", ""] + engine + [
            "", "![Engine time](performance-figures/engine.png)", "", "### Full update of the simulated keyboard", ""
            ] + update + ["", END]
    text = open(doc).read() if os.path.exists(doc) else ""
    block = "\n".join(out)
    if BEGIN in text and END in text:
        text = text[:text.index(BEGIN)] + block + text[text.index(END) + len(END):]
    else:
        text = text.rstrip("\n") + "\n\n## Latest run of scripts/bench.sh\n\n" + block + "\n"
    open(doc, "w").write(text)


if __name__ == "__main__":
    main()
