#!/usr/bin/env bash
# Builds everything (host, 64-bit and 32-bit Windows) and runs every test:
# the portable tests natively, the Windows tests under Wine + Xvfb, for the
# 64-bit build and for the 32-bit release build.
set -uo pipefail
cd "$(dirname "$0")/.."
KARVEL_ROOT=$(pwd)

bash scripts/install-deps.sh || exit 1

build() {
  cmake --preset "$1" >/dev/null && cmake --build --preset "$1" || { echo "BUILD FAILED: $1"; exit 1; }
}
build native
build win64
build win32

status=0
bash scripts/test-size.sh || status=1
bash scripts/check-includes.sh || status=1
bash scripts/check-format.sh || status=1
bash scripts/check-image.sh build/win32/karvelxml.exe i686 || status=1
bash scripts/check-package.sh || status=1
bash scripts/fuzz.sh || status=1

ctest --preset native || status=1

source scripts/wine-session.sh
KARVEL_OWN_DISPLAY=1 wine_session_start
trap wine_session_stop EXIT
ctest --preset win64 || status=1

# The release build is the 32-bit one: its tiers run too, wherever 32-bit programs can run.
left_out=""
if "$WINE" build/win32/tests/unit_tests.exe --gtest_list_tests >/dev/null 2>&1; then
  ctest --preset win32 || status=1
else
  left_out="the 32-bit tiers (this machine cannot run 32-bit Windows programs: no 32-bit Wine)"
  echo "NOT RUN: $left_out"
fi

if [[ $status != 0 ]]; then
  echo "SOME TESTS FAILED"
elif [[ -n $left_out ]]; then
  echo "ALL TESTS PASSED, BUT NOT RUN: $left_out"
else
  echo "ALL TESTS PASSED"
fi
exit $status
