#!/usr/bin/env bash
# The DLL's link interface: exactly the four COM exports by name, and imports
# from Windows system DLLs only (no MinGW runtime DLL beside it).
set -euo pipefail
dll=$1
objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump}
dump=$("$objdump" -p "$dll")

exports=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" | sed -n 's/^\s*\[ *[0-9]*\] \(\S*\)$/\1/p' | sort)
expected=$(printf '%s\n' DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer)
if [ "$exports" != "$expected" ]; then
    echo "exports differ:"; echo "$exports"; exit 1
fi
if ! grep -Eq 'Export Address Table[[:space:]]+0*4$' <<<"$dump"; then
    echo "more than four entries in the export address table"; exit 1
fi

system='^(advapi32|comctl32|comdlg32|gdi32|kernel32|msvcrt|ole32|oleaut32|shell32|shlwapi|user32|uxtheme|ucrtbase|api-ms-win-[a-z0-9-]+)\.dll$'
status=0
while read -r name; do
    if ! grep -Eqi "$system" <<<"$name"; then
        echo "imports a non-system DLL: $name"; status=1
    fi
done < <(sed -n 's/^\s*DLL Name: //p' <<<"$dump")
[ "$(grep -c 'DLL Name:' <<<"$dump")" -gt 0 ] || { echo "no import table found"; exit 1; }
exit $status
