#!/usr/bin/env bash
# The DLL's link interface: exactly the four COM exports by name, and imports
# from Windows system DLLs only (no MinGW or C++ runtime DLL beside it).
# Given "arm64", the DLL is the ARM64 build, read with llvm-readobj (binutils
# has no ARM64 PE reader here): also its machine, and the relocatable image
# that Windows on ARM insists on.
set -euo pipefail
dll=$1
machine=${2:-x64}

if [ "$machine" = arm64 ]; then
    readobj=${READOBJ:-llvm-readobj-19}
    headers=$("$readobj" --file-headers --section-headers "$dll")
    for expected in 'Machine: IMAGE_FILE_MACHINE_ARM64 (0xAA64)' IMAGE_FILE_DLL \
                    IMAGE_DLL_CHARACTERISTICS_DYNAMIC_BASE 'Name: .reloc' 'Name: .rsrc'; do
        grep -qF "$expected" <<<"$headers" || { echo "headers lack $expected"; exit 1; }
    done
    exportTable=$("$readobj" --coff-exports "$dll")
    exports=$(sed -n 's/^  Name: //p' <<<"$exportTable" | sort)
    exportCount=$(grep -c '^  Ordinal:' <<<"$exportTable" || true)
    imports=$("$readobj" --coff-imports "$dll" | sed -n 's/^  Name: //p')
else
    objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump}
    dump=$("$objdump" -p "$dll")
    exports=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" | sed -n 's/^\s*\[ *[0-9]*\] \(\S*\)$/\1/p' | sort)
    exportCount=$(sed -n 's/^\s*Export Address Table[[:space:]]\+0*\([0-9]\+\)$/\1/p;T;q' <<<"$dump")
    imports=$(sed -n 's/^\s*DLL Name: //p' <<<"$dump")
fi

expected=$(printf '%s\n' DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer)
if [ "$exports" != "$expected" ]; then
    echo "exports differ:"; echo "$exports"; exit 1
fi
if [ "$exportCount" != 4 ]; then
    echo "not four entries in the export address table: $exportCount"; exit 1
fi

system='^(advapi32|comctl32|comdlg32|gdi32|kernel32|msvcrt|ole32|oleaut32|shell32|shlwapi|user32|uxtheme|ucrtbase|api-ms-win-[a-z0-9-]+)\.dll$'
[ -n "$imports" ] || { echo "no import table found"; exit 1; }
status=0
while read -r name; do
    if ! grep -Eqi "$system" <<<"$name"; then
        echo "imports a non-system DLL: $name"; status=1
    fi
done <<<"$imports"
exit $status
