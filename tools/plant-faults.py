#!/usr/bin/env python3
# Plants each fault of a markdown table alone, builds build/test, runs the whole suite and says
# whether it caught the fault, then puts the file back. Table rows: | # | file | `original` |
# `replacement` | ..., the original quoted exactly as it stands in the file (it must occur once).
# Usage: tools/plant-faults.py SOURCE_TREE TABLE.md [NUMBERS...]
import re, subprocess, sys, pathlib
tree = pathlib.Path(sys.argv[1]); table = pathlib.Path(sys.argv[2]); only = set(sys.argv[3:])
rows = []
for line in table.read_text().splitlines():
    m = re.match(r'\|\s*(\d+)\s*\|\s*([^|]+?)\s*\|\s*`(.+?)`\s*\|\s*`(.+?)`\s*\|', line)
    if m: rows.append(m.groups())
def run(cmd, **kw):
    return subprocess.run(cmd, cwd=tree, capture_output=True, text=True, **kw)
for num, path, old, new in rows:
    if only and num not in only: continue
    f = tree / path; src = f.read_text()
    if src.count(old) != 1:
        print(f"{num} {path}: snippet found {src.count(old)} times", flush=True); continue
    f.write_text(src.replace(old, new))
    try:
        b = run(["cmake", "--build", "build/test", "-j2"])
        if b.returncode != 0:
            print(f"{num} {path}: BUILD FAILED", flush=True); continue
        t = run(["ctest", "--test-dir", "build/test", "-j2", "--timeout", "300"])
        failed = re.findall(r'\d+ - (\S+) \(', t.stdout)
        print(f"{num} {path}: {'CAUGHT' if t.returncode else 'MISSED'} {' '.join(failed[:6])}", flush=True)
    finally:
        f.write_text(src)
run(["cmake", "--build", "build/test", "-j2"])
