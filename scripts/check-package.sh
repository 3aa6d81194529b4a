#!/usr/bin/env bash
# Builds the release archive and checks what it holds: the release program as
# built, with the project's version in its version resource, and the two texts
# with CR LF line ends only.
set -euo pipefail
cd "$(dirname "$0")/.."
archive=$(bash scripts/package.sh)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/win32/CMakeCache.txt)
python3 - "$archive" "$version" <<'PY'
import sys, zipfile
archive, version = sys.argv[1], sys.argv[2]
problems = []
with zipfile.ZipFile(archive) as z:
    names = sorted(z.namelist())
    if names != ["LICENSE.txt", "README.txt", "karvelxml.exe"]:
        problems.append(f"holds {names}")
    else:
        exe = z.read("karvelxml.exe")
        if exe != open("build/win32/karvelxml.exe", "rb").read():
            problems.append("karvelxml.exe is not the release build")
        if version.encode("utf-16-le") not in exe:
            problems.append(f"karvelxml.exe carries no version {version}")
        for name in ("README.txt", "LICENSE.txt"):
            text = z.read(name)
            if text.count(b"\n") != text.count(b"\r\n") or not text.endswith(b"\r\n"):
                problems.append(f"{name} has line ends other than CR LF")
        if b"Windows 7" not in z.read("README.txt"):
            problems.append("README.txt does not say which Windows it runs on")
print(f"package {archive}: " + ("; ".join(problems) if problems else "ok"))
sys.exit(1 if problems else 0)
PY
