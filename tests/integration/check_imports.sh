#!/bin/sh
# The DLL lives in the player's process: it may import Windows system DLLs
# only (no MinGW runtime such as libstdc++-6.dll or libwinpthread-1.dll).
# usage: check_imports.sh OBJDUMP DLL
set -eu
objdump=$1
dll=$2
allowed=$(echo ' kernel32.dll user32.dll gdi32.dll advapi32.dll ws2_32.dll wsock32.dll ole32.dll
  oleaut32.dll msvcrt.dll shell32.dll shlwapi.dll version.dll comctl32.dll comdlg32.dll bcrypt.dll
  crypt32.dll rpcrt4.dll uxtheme.dll winmm.dll imm32.dll urlmon.dll wininet.dll ' | tr '\n' ' ')

imports=$("$objdump" -p "$dll" | sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p' | tr 'A-Z' 'a-z')
if [ -z "$imports" ]; then
    echo "no import table found in $dll" >&2
    exit 1
fi
status=0
for name in $imports; do
    case "$allowed" in
        *" $name "*) echo "ok: $name" ;;
        *) echo "NOT a system DLL: $name" >&2; status=1 ;;
    esac
done
exit $status
