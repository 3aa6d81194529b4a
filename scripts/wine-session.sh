# Sourced by the scripts that run Windows programs: a private Wine prefix under
# build/, an Xvfb display and a warm wineserver for the length of one run.
# Usage: source scripts/wine-session.sh; wine_session_start; ...; wine_session_stop

KARVEL_ROOT=${KARVEL_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export WINEPREFIX=${WINEPREFIX:-$KARVEL_ROOT/build/wineprefix}
export WINEDLLOVERRIDES="mscoree=;mshtml="
export WINEDEBUG=${WINEDEBUG:--all}
export WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
KARVEL_XVFB_PID=""

wine_session_start() {
  if [[ -z "${DISPLAY:-}" || "${KARVEL_OWN_DISPLAY:-}" == 1 ]]; then
    local n=90
    while [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1600x1200x24 -nolisten tcp >/dev/null 2>&1 &
    KARVEL_XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do [[ -e /tmp/.X11-unix/X$n ]] && break; sleep 0.1; done
  fi
  # A prefix made before 32-bit Wine was installed cannot start 32-bit programs.
  if [[ -f "$WINEPREFIX/system.reg" && ! -d "$WINEPREFIX/drive_c/windows/syswow64" ]] && wine_runs_32bit_programs; then
    rm -rf "$WINEPREFIX"
  fi
  if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    mkdir -p "$WINEPREFIX"
    "$WINE" wineboot -i >/dev/null 2>&1 || true
    # Without a window manager, managed windows make every hide or destroy wait 2 s
    # for a confirmation that never comes.
    "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 || true
    # A program that crashes ends at once, instead of waiting on a crash dialog nobody sees.
    "$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 || true
    "$WINESERVER" -w
  fi
  # Wine's own Tahoma gives the dialog font the 13-pixel rows the layout is made for
  # (without it fontconfig picks whatever sans font the machine has); Marlett draws
  # the caption buttons.
  local fonts="$WINEPREFIX/drive_c/windows/Fonts"
  mkdir -p "$fonts"
  for f in /usr/share/wine/fonts/tahoma.ttf /usr/share/wine/fonts/tahomabd.ttf /usr/share/wine/fonts/marlett.ttf; do
    [[ -f "$f" && ! -f "$fonts/$(basename "$f")" ]] && cp "$f" "$fonts/"
  done
  "$WINESERVER" -p 2>/dev/null || true  # already running is fine
  # Start Wine's own services now, detached from our output: started later by a
  # test, they would inherit its pipes and keep the test runner waiting.
  "$WINE" wineboot </dev/null >/dev/null 2>&1 || true
}

# Whether this machine has 32-bit Wine (the loader that runs 32-bit programs).
wine_runs_32bit_programs() {
  [[ -x /usr/lib/wine/wine || -x /usr/lib/i386-linux-gnu/wine/wine ]] &&
    dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "install ok installed"
}

wine_session_stop() {
  "$WINESERVER" -k 2>/dev/null || true
  "$WINESERVER" -w 2>/dev/null || true
  if [[ -n "$KARVEL_XVFB_PID" ]]; then
    kill "$KARVEL_XVFB_PID" 2>/dev/null || true
    wait "$KARVEL_XVFB_PID" 2>/dev/null || true
  fi
}
