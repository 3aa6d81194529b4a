#!/usr/bin/env bash
# Builds the fuzz targets with the host clang and runs each for a bounded
# time. Exits non-zero when a fuzzer finds a crash.
# Usage: scripts/fuzz.sh [seconds per target]   (default 20)
set -uo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-20}
CXX=${FUZZ_CXX:-clang++}
status=0
fuzz() {  # name, sources...
  local name=$1 out=build/fuzz/$1
  shift
  mkdir -p "$out/corpus" "$out/artifacts"
  if ! "$CXX" -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
      -I. -Itests "$@" -o "$out/fuzz"; then
    echo "FUZZ BUILD FAILED ($name)"
    status=1
    return
  fi
  # The corpus under build/ is kept, so each run starts where the last stopped.
  "$out/fuzz" "$out/corpus" -max_total_time="$seconds" -print_final_stats=1 \
      -artifact_prefix="$out/artifacts/" >"$out/log.txt" 2>&1
  local result=$?
  local runs
  runs=$(grep -oE 'stat::number_of_executed_units: *[0-9]+' "$out/log.txt" | grep -oE '[0-9]+$' | tail -1)
  if [[ $result != 0 ]]; then
    tail -40 "$out/log.txt"
    echo "FUZZ FAILED ($name) after ${runs:-?} inputs; see $out/artifacts/"
    status=1
    return
  fi
  echo "fuzz $name: ${runs:-?} inputs in ${seconds} s, no crash"
}

fuzz output-tail tests/fuzz/output_tail_fuzz.cpp conversion/converter_output.cpp common/utf8.cpp
exit $status
