#!/usr/bin/env bash
# Fails when a C++ source does not match .clang-format (Debian's clang-format).
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t sources < <(git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h')
if clang-format --dry-run --Werror "${sources[@]}" 2>/tmp/karvel-format.$$; then
  echo "format ok: ${#sources[@]} files"
else
  grep -E '^[^ ].*(error|warning):' /tmp/karvel-format.$$ | cut -d: -f1 | sort -u | sed 's/^/not formatted: /'
  rm -f /tmp/karvel-format.$$
  exit 1
fi
rm -f /tmp/karvel-format.$$
