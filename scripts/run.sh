#!/usr/bin/env bash
# Builds the tool and starts it under Wine. Without a display it starts Xvfb,
# takes a screenshot (build/screenshot.png) and closes the tool again.
# QUILLON=/path/to/quillon.exe puts a real converter beside the tool; without
# it the stand-in converter from tools/ is used.
set -euo pipefail
cd "$(dirname "$0")/.."
KARVEL_ROOT=$(pwd)

bash scripts/install-deps.sh
for preset in win32 win64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" >/dev/null
done

dest=build/win64
if [[ -n "${QUILLON:-}" ]]; then
  cp "$QUILLON" "$dest/quillon.exe"
else
  echo "No QUILLON given: using the stand-in converter (it writes the destination file and nothing more)."
  cp "$dest/tools/quillon.exe" "$dest/quillon.exe"
fi

source scripts/wine-session.sh
if [[ -n "${DISPLAY:-}" ]]; then
  wine_session_start
  trap wine_session_stop EXIT
  "$WINE" "$dest/karvelxml.exe"
else
  wine_session_start
  trap wine_session_stop EXIT
  "$WINE" "$dest/karvelxml.exe" &
  sleep 4
  import -window root build/screenshot.png
  echo "No display: screenshot written to build/screenshot.png"
fi
