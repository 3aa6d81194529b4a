#!/usr/bin/env bash
# Builds the settings reader fuzz target with the host clang and runs it for a
# bounded time. Exits non-zero when the fuzzer finds a crash.
# Usage: scripts/fuzz-settings.sh [seconds]   (default 20)
set -uo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-20}
out=build/fuzz
mkdir -p "$out/corpus" "$out/artifacts"

CXX=${FUZZ_CXX:-clang++}
if ! "$CXX" -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I. -Itests tests/fuzz/settings_reader_fuzz.cpp settings/settings_format.cpp common/utf8.cpp -o "$out/settings_reader_fuzz"; then
  echo "FUZZ BUILD FAILED"
  exit 1
fi

# The corpus under build/ is kept, so each run starts where the last stopped.
"$out/settings_reader_fuzz" "$out/corpus" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$out/artifacts/" >"$out/log.txt" 2>&1
status=$?

runs=$(grep -oE 'stat::number_of_executed_units: *[0-9]+' "$out/log.txt" | grep -oE '[0-9]+$' | tail -1)
if [[ -z "$runs" ]]; then
  runs=$(grep -oE 'Done [0-9]+ runs' "$out/log.txt" | grep -oE '[0-9]+' | tail -1)
fi

if [[ $status != 0 ]]; then
  tail -40 "$out/log.txt"
  echo "FUZZ FAILED (settings reader) after ${runs:-?} inputs; see $out/artifacts/"
  exit 1
fi
echo "fuzz settings reader: ${runs:-?} inputs in ${seconds} s, no crash"
