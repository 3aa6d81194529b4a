#!/usr/bin/env bash
# Fails on an include that breaks the layout: common/ includes only common/;
# conversion/ and settings/ include only common/ and themselves; ui/ may
# include all three. The portable core (the *_core libraries' sources and
# every project header they reach) includes no Windows header.
set -euo pipefail
cd "$(dirname "$0")/.."
python3 - <<'PY'
import pathlib, re, sys

allowed = {"common": {"common"}, "conversion": {"common", "conversion"},
           "settings": {"common", "settings"}, "ui": {"common", "conversion", "settings", "ui"}}
include = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)
problems = []

def includes(path):
    return include.findall(path.read_text(encoding="utf-8"))

for folder, may in allowed.items():
    for path in sorted(pathlib.Path(folder).rglob("*")):
        if path.suffix not in (".h", ".cpp"):
            continue
        for kind, name in includes(path):
            top = name.split("/")[0]
            if kind == '"' and "/" in name and top in allowed and top not in may:
                problems.append(f"{path}: includes {name}, but {folder}/ may include only {', '.join(sorted(may))}/")

# The portable core: what the *_core libraries build, and the project headers it reaches.
core = []
for cmake in pathlib.Path(".").glob("*/CMakeLists.txt"):
    for m in re.finditer(r"add_library\(\w+_core STATIC ([^)]*)\)", cmake.read_text()):
        core += [cmake.parent / source for source in m.group(1).split()]
seen, todo = set(), list(core)
while todo:
    path = todo.pop()
    if path in seen:
        continue
    seen.add(path)
    header = path.with_suffix(".h")
    if path.suffix == ".cpp" and header.exists():
        todo.append(header)
    for kind, name in includes(path):
        if kind == '"' and pathlib.Path(name).exists():
            todo.append(pathlib.Path(name))
        elif kind == "<" and (name.lower().startswith("win") or name.lower() in {
                "shellapi.h", "shlobj.h", "commctrl.h", "commdlg.h", "objbase.h", "shlwapi.h", "shobjidl.h"}):
            problems.append(f"{path}: part of the portable core, includes <{name}>")

for p in problems:
    print("INCLUDE:", p)
print(f"includes ok: {len(seen)} portable files, folders as the layout allows" if not problems else "INCLUDES BREAK THE LAYOUT")
sys.exit(1 if problems else 0)
PY
