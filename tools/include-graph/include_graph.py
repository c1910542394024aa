#!/usr/bin/env python3
"""Draws the include graph between the product's folders, layer by layer.

Reads every .h and .cpp of the product folders, counts the #include lines that
reach into another folder, checks the layering rules (no cycle between folders,
nothing outside platform/gui includes platform/gui/internal/) and writes a
Graphviz picture. The build keeps platform/gui/internal/ out of reach as well
(docs/platform.md, "Include folders"); a cycle only this check finds, as
static libraries may link each other. Usage:
    tools/include-graph/include_graph.py [--out docs/architecture.png] [--dot FILE]
Exits 1 when a rule is broken (the picture is still drawn, offending edges red).
"""
import argparse
import os
import re
import subprocess
import sys
from collections import defaultdict

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))

# Top to bottom, as the layers stand; a folder includes only folders of its own
# layer or of layers below it.
LAYERS = [
    ("program", ["app", "updater", "ui", "settings"]),
    ("subsystems", ["hid", "isp", "package", "xml"]),
    ("simulated keyboard", ["sim"]),
    ("platform interfaces", ["platform/gui/afx", "platform/gui", "platform/hid", "platform/sys"]),
    ("backends", ["platform/linux", "platform/windows", "platform/headless", "platform/sim"]),
    ("framework internals", ["platform/gui/internal"]),
]
FOLDERS = [f for _, layer in LAYERS for f in layer]
GUI_LIBRARY = {"platform/gui", "platform/gui/afx", "platform/gui/internal"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def folder_of(path):
    parts = path.split("/")
    if parts[0] != "platform":
        return parts[0] if parts[0] in FOLDERS else None
    if len(parts) > 3 and parts[1] == "gui" and parts[2] in ("afx", "internal"):
        return "platform/gui/" + parts[2]
    name = "/".join(parts[:2])
    return name if name in FOLDERS else None


def collect_edges():
    edges = defaultdict(int)
    for top in sorted({f.split("/")[0] for f in FOLDERS}):
        for dirpath, _, files in os.walk(os.path.join(ROOT, top)):
            for name in sorted(files):
                if not name.endswith((".h", ".cpp")):
                    continue
                full = os.path.join(dirpath, name)
                source = folder_of(os.path.relpath(full, ROOT).replace(os.sep, "/"))
                if source is None:
                    continue
                with open(full, encoding="utf-8", errors="replace") as f:
                    for line in f:
                        m = INCLUDE.match(line)
                        target = folder_of(m.group(1)) if m else None
                        if target and target != source:
                            edges[(source, target)] += 1
    return edges


def broken_edges(edges):
    """Edges that close a cycle between folders or reach the framework's internals."""
    bad = set()
    for (a, b) in edges:
        if b == "platform/gui/internal" and not a.startswith("platform/gui"):
            bad.add((a, b))
    graph = defaultdict(set)
    for (a, b) in edges:
        graph[a].add(b)

    def reaches(start, goal):
        seen, todo = set(), [start]
        while todo:
            node = todo.pop()
            if node == goal:
                return True
            if node not in seen:
                seen.add(node)
                todo.extend(graph[node])
        return False

    for (a, b) in edges:
        # The framework's core, class layer and internals are one library.
        if reaches(b, a) and not {a, b} <= GUI_LIBRARY:
            bad.add((a, b))
    return bad


def dot_text(edges, bad):
    out = ["digraph includes {", "  rankdir=TB; newrank=true; nodesep=0.35; ranksep=0.55;",
           '  node [shape=box, style="rounded,filled", fillcolor="#f4f4f4", fontname="Helvetica", fontsize=11];',
           '  edge [color="#707070", arrowsize=0.6, fontname="Helvetica", fontsize=8];']
    for i, (title, folders) in enumerate(LAYERS):
        out.append(f'  subgraph cluster_{i} {{ label="{title}"; fontname="Helvetica"; fontsize=10; '
                   'style=dashed; color="#b0b0b0";')
        out.append("    rank=same; " + " ".join(f'"{f}";' for f in folders))
        out.append("  }")
    # The layers stack in their order; an include that points up the page (a
    # backend including the interface it implements) does not move them.
    for (_, upper), (_, lower) in zip(LAYERS, LAYERS[1:]):
        out.append(f'  "{upper[0]}" -> "{lower[0]}" [style=invis];')
    layer_of = {f: i for i, (_, layer) in enumerate(LAYERS) for f in layer}
    for (a, b), count in sorted(edges.items()):
        colour = ' color="#d02020" penwidth=2' if (a, b) in bad else ""
        upward = ' constraint=false style=dashed' if layer_of[a] > layer_of[b] else ""
        out.append(f'  "{a}" -> "{b}" [label="{count}"{colour}{upward}];')
    out.append("}")
    return "\n".join(out) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.join(ROOT, "docs", "architecture.png"))
    parser.add_argument("--dot", help="also write the Graphviz source here")
    args = parser.parse_args()
    edges = collect_edges()
    bad = broken_edges(edges)
    text = dot_text(edges, bad)
    if args.dot:
        with open(args.dot, "w") as f:
            f.write(text)
    subprocess.run(["dot", "-Tpng", "-Gdpi=80", "-o", args.out], input=text.encode(), check=True)
    for (a, b) in sorted(bad):
        print(f"include rule broken: {a} -> {b}", file=sys.stderr)
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
