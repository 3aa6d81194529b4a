#!/usr/bin/env bash
# Builds the release program (32-bit) and writes build/karvelxml-<version>-win32.zip:
# karvelxml.exe, README.txt and LICENSE.txt, the texts with CR LF line ends.
# The version is the CMake project's. Prints the archive's path.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset win32 >/dev/null
cmake --build --preset win32 >/dev/null
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/win32/CMakeCache.txt)
archive=build/karvelxml-$version-win32.zip
python3 - "$archive" <<'PY'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w", zipfile.ZIP_DEFLATED) as z:
    z.write("build/win32/karvelxml.exe", "karvelxml.exe")
    for source, name in (("docs/README.txt", "README.txt"), ("LICENSE", "LICENSE.txt")):
        text = open(source, encoding="utf-8").read()
        z.writestr(name, text.replace("\n", "\r\n").encode("utf-8"))
PY
echo "$archive"
