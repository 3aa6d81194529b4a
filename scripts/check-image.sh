#!/usr/bin/env bash
# Checks a built karvelxml.exe: the expected PE machine, only DLLs that every
# Windows has, and no Common Controls 6 manifest (the classic look).
set -euo pipefail
exe=$1; arch=$2
case "$arch" in
  i686) objdump=i686-w64-mingw32-objdump; want="file format pei-i386" ;;
  x86_64) objdump=x86_64-w64-mingw32-objdump; want="file format pei-x86-64" ;;
  *) echo "unknown architecture $arch"; exit 2 ;;
esac
fail=0
$objdump -f "$exe" | grep -q "$want" || { echo "FAIL: $exe is not $want"; fail=1; }
allowed='^(kernel32|user32|gdi32|comctl32|comdlg32|shell32|ole32|oleaut32|shlwapi|advapi32|msvcrt|uxtheme)\.dll$'
while read -r dll; do
  if ! [[ "${dll,,}" =~ $allowed ]]; then echo "FAIL: imports $dll"; fail=1; fi
done < <($objdump -p "$exe" | awk '/DLL Name:/ {print $3}')
if grep -qa "Microsoft.Windows.Common-Controls" "$exe"; then
  echo "FAIL: manifest asks for Common Controls 6"; fail=1
fi
[[ $fail == 0 ]] && echo "image ok: $exe ($arch)"
exit $fail
