#!/usr/bin/env bash
# Lines of tests against lines of program, every line counted (blank lines
# and comments too). Fails when the tests outgrow a third-and-a-bit of the program.
set -euo pipefail
cd "$(dirname "$0")/.."
count() { git ls-files --cached --others --exclude-standard -- "$@" | grep -E "$pattern" | xargs -r cat | wc -l; }
pattern='\.(cpp|h)$'; tests=$(count tests)
pattern='\.(cpp|h|rc)$'; program=$(count ui conversion settings common tools)
ratio=$(awk -v t="$tests" -v p="$program" 'BEGIN { printf "%.2f", t / p }')
echo "tests: $tests lines, program: $program lines, ratio: $ratio"
awk -v t="$tests" -v p="$program" 'BEGIN { exit !(t / p <= 0.35) }' || { echo "TEST SIZE ABOVE 0.35"; exit 1; }
