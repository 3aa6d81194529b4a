#!/usr/bin/env bash
# Runs one Windows program under the Wine session that test.sh started.
set -euo pipefail
if [[ -z "${WINEPREFIX:-}" || -z "${DISPLAY:-}" ]]; then
  echo "wine-run.sh: no Wine session; run scripts/test.sh" >&2
  exit 2
fi
exec /usr/lib/wine/wine64 "$@"
