#!/usr/bin/env bash
# Takes a screenshot of the real window under Wine + Xvfb for the README, and
# prints the window's measurements at that DPI (tools/bench/window_metrics.cpp).
# Wine draws the title bar itself inside a virtual desktop.
# Usage: scripts/screenshot.sh [out.png] [dpi]   (defaults docs/window.png, 96)
# KARVEL_EXE=path takes that program instead of the one just built.
set -euo pipefail
cd "$(dirname "$0")/.."
KARVEL_ROOT=$(pwd)
out=${1:-docs/window.png}
dpi=${2:-96}

cmake --preset win64 >/dev/null
cmake --build --preset win64 --target karvelxml window_metrics >/dev/null

# Another display scale is another prefix, so the tests' own stays at 96 DPI.
[[ $dpi != 96 ]] && export WINEPREFIX=$KARVEL_ROOT/build/wineprefix-$dpi
source scripts/wine-session.sh
KARVEL_OWN_DISPLAY=1 wine_session_start
trap wine_session_stop EXIT
"$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1

scale() { echo $(( ($1 * dpi + 48) / 96 )); }
shot=$(mktemp -d)
cp "${KARVEL_EXE:-build/win64/karvelxml.exe}" "$shot/karvelxml.exe"
"$WINE" explorer /desktop=shot,"$(scale 560)x$(scale 600)" "$shot/karvelxml.exe" &
# Wait for the desktop window, then give the program time to draw.
for _ in $(seq 100); do xwininfo -root -tree 2>/dev/null | grep -q '"shot' && break; sleep 0.1; done
sleep 3
mkdir -p "$(dirname "$out")"
import -window root "$shot/full.png"
convert "$shot/full.png" -crop "$(scale 552)x$(scale 590)+0+0" +repage "$out"
echo "screenshot: $out"
"$WINESERVER" -k 2>/dev/null || true  # the desktop goes; the metrics get a window of their own
"$WINESERVER" -w 2>/dev/null || true
"$WINE" build/win64/tools/window_metrics.exe
