#!/usr/bin/env bash
# Takes a screenshot of the real window under Wine + Xvfb for the README.
# Wine draws the title bar itself inside a virtual desktop.
set -euo pipefail
cd "$(dirname "$0")/.."
KARVEL_ROOT=$(pwd)
out=${1:-docs/window.png}

cmake --preset win64 >/dev/null
cmake --build --preset win64 --target karvelxml >/dev/null

source scripts/wine-session.sh
KARVEL_OWN_DISPLAY=1 wine_session_start
trap wine_session_stop EXIT

shot=$(mktemp -d)
cp build/win64/karvelxml.exe "$shot/"
"$WINE" explorer /desktop=shot,560x600 "$shot/karvelxml.exe" &
# Wait for the desktop window, then give the program time to draw.
for _ in $(seq 100); do xwininfo -root -tree 2>/dev/null | grep -q '"shot' && break; sleep 0.1; done
sleep 3
mkdir -p "$(dirname "$out")"
import -window root "$shot/full.png"
convert "$shot/full.png" -crop 552x590+0+0 +repage "$out"
echo "screenshot: $out"
