#!/usr/bin/env bash
# Checks a built karvelxml.exe: the expected PE machine, imports only from
# Windows' known DLLs (which it loads from its system folder alone, never from
# the program's), ASLR and DEP, under 1 MiB, and its manifest: asInvoker,
# Windows 7 to 11, per-monitor DPI awareness (version 2, and version 1 for
# Windows 8.1 and early Windows 10), long paths, and no Common Controls 6 (the classic look).
set -euo pipefail
exe=$1; arch=$2
case "$arch" in
  i686) objdump=i686-w64-mingw32-objdump; want="file format pei-i386"; flags=(DYNAMIC_BASE NX_COMPAT) ;;
  x86_64) objdump=x86_64-w64-mingw32-objdump; want="file format pei-x86-64"
          flags=(DYNAMIC_BASE NX_COMPAT HIGH_ENTROPY_VA) ;;
  *) echo "unknown architecture $arch"; exit 2 ;;
esac
fail=0
headers=$($objdump -p "$exe")
$objdump -f "$exe" | grep -q "$want" || { echo "FAIL: $exe is not $want"; fail=1; }
# The KnownDLLs of Windows 7 that a program of this kind may use; comctl32 and
# uxtheme are not among them.
allowed='^(kernel32|user32|gdi32|comdlg32|shell32|ole32|oleaut32|shlwapi|advapi32|msvcrt|imm32|rpcrt4|ws2_32)\.dll$'
while read -r dll; do
  if ! [[ "${dll,,}" =~ $allowed ]]; then echo "FAIL: imports $dll"; fail=1; fi
done < <(awk '/DLL Name:/ {print $3}' <<<"$headers")
for flag in "${flags[@]}"; do
  grep -qw "$flag" <<<"$headers" || { echo "FAIL: not $flag"; fail=1; }
done
size=$(stat -c %s "$exe")
(( size < 1048576 )) || { echo "FAIL: $size bytes, not under 1 MiB"; fail=1; }

# The manifest is resource type 24; its text lies in the image as it was written.
grep -q 'Entry: ID: 0x000018' <<<"$headers" || { echo "FAIL: no manifest resource"; fail=1; }
for needed in 'level="asInvoker"' \
    '{35138b9a-5d96-4fbd-8e2d-a2440225f93a}' '{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}' \
    '{1f676c76-80e1-4239-95bb-83d0f6d0da78}' '{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}' \
    '>PerMonitorV2, PerMonitor</dpiAwareness>' '>true/pm</dpiAware>' \
    '<longPathAware xmlns="http://schemas.microsoft.com/SMI/2016/WindowsSettings">true</longPathAware>'; do
  grep -qaF "$needed" "$exe" || { echo "FAIL: the manifest lacks $needed"; fail=1; }
done
if grep -qa "Microsoft.Windows.Common-Controls" "$exe"; then
  echo "FAIL: manifest asks for Common Controls 6"; fail=1
fi
[[ $fail == 0 ]] && echo "image ok: $exe ($arch, $size bytes)"
exit $fail
