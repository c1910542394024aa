#!/usr/bin/env python3
"""Fails when the committed tables in xml/ differ from what generate.py writes."""
import filecmp
import subprocess
import sys
import tempfile
from pathlib import Path

with tempfile.TemporaryDirectory() as tmp:
    here = Path(__file__).parent
    subprocess.run([sys.executable, str(here / "generate.py"), sys.argv[1], sys.argv[2], tmp], check=True)
    stale = [name for name in ("entity_table.cpp", "code_page_table.cpp")
             if not filecmp.cmp(Path(tmp) / name, Path(sys.argv[3]) / name, shallow=False)]
    if stale:
        sys.exit("stale generated tables (run the xml-tables target): " + ", ".join(stale))
