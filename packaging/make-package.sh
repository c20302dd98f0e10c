#!/usr/bin/env bash
# Builds the Lumbrix64 setup with makensis: copies the DLL next to the package
# without its debug information (STRIP names the tool) and, when LUMBRIX_SIGN_PFX names a code-signing certificate (password in
# LUMBRIX_SIGN_PASSWORD), signs the DLL, the uninstaller and the package.
# usage: make-package.sh DLL ICON VERSION OUTDIR   (VERSION as a.b.c.d)
set -euo pipefail
[ $# -eq 4 ] || { sed -n '2,5p' "$0" >&2; exit 2; }
dll=$(realpath "$1") icon=$(realpath "$2") version=$3 out=$(realpath -m "$4")
here=$(cd "$(dirname "$0")" && pwd)

mkdir -p "$out"
"${STRIP:-x86_64-w64-mingw32-strip}" --strip-debug -o "$out/Lumbrix64.dll" "$dll"
defines=(-DVERSION="$version" -DDLL="$out/Lumbrix64.dll" -DICON="$icon"
         -DOUTFILE="$out/Lumbrix64-$version-setup.exe")
if [ -n "${LUMBRIX_SIGN_PFX:-}" ]; then
    "$here/sign.sh" "$out/Lumbrix64.dll"
    defines+=(-DSIGN="$here/sign.sh")
fi
# A signed Lumbrix64.msix made on Windows (see README) adds the Windows 11 menu.
[ -n "${LUMBRIX_SPARSE_PACKAGE:-}" ] && defines+=(-DSPARSE_PACKAGE="$(realpath "$LUMBRIX_SPARSE_PACKAGE")")
makensis -V2 -INPUTCHARSET UTF8 "${defines[@]}" "$here/installer/lumbrix64.nsi"
