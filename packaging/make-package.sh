#!/usr/bin/env bash
# Builds the Lumbrix64 setup with makensis: copies the DLL next to the package
# without its debug information (STRIP names the tool), packs the Windows 11
# package Lumbrix64-VERSION-ARCH.msix (ARCH from LUMBRIX_ARCH, x64 by default)
# and, when LUMBRIX_SIGN_PFX names a code-signing certificate (password in
# LUMBRIX_SIGN_PASSWORD), signs the DLL, that package, the uninstaller and the setup.
# usage: make-package.sh DLL ICON VERSION OUTDIR   (VERSION as a.b.c.d)
set -euo pipefail
[ $# -eq 4 ] || { sed -n '2,7p' "$0" >&2; exit 2; }
dll=$(realpath "$1") icon=$(realpath "$2") version=$3 out=$(realpath -m "$4")
here=$(cd "$(dirname "$0")" && pwd)
arch=${LUMBRIX_ARCH:-x64}
msix=$out/Lumbrix64-$version-$arch.msix

mkdir -p "$out"
"${STRIP:-x86_64-w64-mingw32-strip}" --strip-debug -o "$out/Lumbrix64.dll" "$dll"
defines=(-DVERSION="$version" -DDLL="$out/Lumbrix64.dll" -DICON="$icon"
         -DOUTFILE="$out/Lumbrix64-$version-setup.exe" -DMSIX="$msix")
certificate=()
[ -n "${LUMBRIX_SIGN_PFX:-}" ] && certificate=(--certificate "$LUMBRIX_SIGN_PFX")
family=$(python3 "$here/make_msix.py" --version "$version" --arch "$arch" "${certificate[@]}" "$here" "$msix")
defines+=(-DPACKAGE_FAMILY="$family")
if [ -n "${LUMBRIX_SIGN_PFX:-}" ]; then
    "$here/sign.sh" "$out/Lumbrix64.dll"
    "$here/sign.sh" "$msix"
    defines+=(-DSIGN="$here/sign.sh" -DMSIX_SIGNED)
fi
makensis -V2 -INPUTCHARSET UTF8 "${defines[@]}" "$here/installer/lumbrix64.nsi"
