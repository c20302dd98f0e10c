#!/usr/bin/env bash
# Builds the Lumbrix64 setup with makensis: copies the x64 DLL next to the
# package and the ARM64 one to arm64/ (STRIP and STRIP_ARM64 name the tools)
# without their debug information and COFF symbol table, which Windows never
# reads and which are as large as the code; packs the Windows 11 packages
# Lumbrix64-VERSION-x64.msix and -arm64.msix and, when LUMBRIX_SIGN_PFX names
# a code-signing certificate (password in LUMBRIX_SIGN_PASSWORD), signs the
# DLLs, the packages, the uninstaller and the setup; writes the SHA-256 of
# each in Lumbrix64-VERSION-SHA256SUMS.txt. Without ARM64_DLL the
# setup carries the x64 DLL and package alone and installs them everywhere.
# Further arguments go to makensis.
# usage: make-package.sh DLL ICON VERSION OUTDIR [ARM64_DLL [MAKENSIS_OPTION...]]   (VERSION as a.b.c.d)
set -euo pipefail
[ $# -ge 4 ] || { sed -n '2,12p' "$0" >&2; exit 2; }
dll=$(realpath "$1") icon=$(realpath "$2") version=$3 out=$(realpath -m "$4")
arm64_dll=${5:+$(realpath "$5")}
shift $(($# < 5 ? $# : 5))
here=$(cd "$(dirname "$0")" && pwd)
certificate=()
[ -n "${LUMBRIX_SIGN_PFX:-}" ] && certificate=(--certificate "$LUMBRIX_SIGN_PFX")

# pack ARCH DLL_COPY: the package of that processor; prints its family name,
# which the processor does not change.
pack() {
    local msix=$out/Lumbrix64-$version-$1.msix
    python3 "$here/make_msix.py" --version "$version" --arch "$1" "${certificate[@]}" "$here" "$msix"
    if [ -n "${LUMBRIX_SIGN_PFX:-}" ]; then
        "$here/sign.sh" "$2"
        "$here/sign.sh" "$msix"
    fi
}

# The same sources give the same bytes: the stripped DLLs take their time
# stamp, and every file the setup carries its date, from SOURCE_DATE_EPOCH,
# by default the last commit's time. (A signature adds its own time.)
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH=$(git -C "$here" log -1 --format=%ct 2>/dev/null || true)
fi
[ -n "$SOURCE_DATE_EPOCH" ] && export SOURCE_DATE_EPOCH
settle() {
    [ -z "${SOURCE_DATE_EPOCH:-}" ] || touch -d "@$SOURCE_DATE_EPOCH" "$@"
}

mkdir -p "$out"
"${STRIP:-x86_64-w64-mingw32-strip}" --strip-all -o "$out/Lumbrix64.dll" "$dll"
defines=(-DVERSION="$version" -DDLL="$out/Lumbrix64.dll" -DICON="$icon"
         -DOUTFILE="$out/Lumbrix64-$version-setup.exe" -DMSIX="$out/Lumbrix64-$version-x64.msix")
family=$(pack x64 "$out/Lumbrix64.dll")
if [ -n "$arm64_dll" ]; then
    mkdir -p "$out/arm64"
    "${STRIP_ARM64:-llvm-strip-19}" --strip-all -o "$out/arm64/Lumbrix64.dll" "$arm64_dll"
    pack arm64 "$out/arm64/Lumbrix64.dll" >/dev/null
    defines+=(-DDLL_ARM64="$out/arm64/Lumbrix64.dll" -DMSIX_ARM64="$out/Lumbrix64-$version-arm64.msix")
else
    rm -rf "$out/arm64" "$out/Lumbrix64-$version-arm64.msix"
    echo "make-package.sh: no ARM64 DLL given: the setup carries the x64 DLL alone" >&2
fi
settle "$out/Lumbrix64.dll" "$out/Lumbrix64-$version-x64.msix" ${arm64_dll:+"$out/arm64/Lumbrix64.dll" "$out/Lumbrix64-$version-arm64.msix"}
defines+=(-DPACKAGE_FAMILY="$family")
[ -n "${LUMBRIX_SIGN_PFX:-}" ] && defines+=(-DSIGN="$here/sign.sh" -DMSIX_SIGNED)
# -WX: any warning fails the build, a text missing in one language among them.
makensis -V2 -WX -INPUTCHARSET UTF8 "${defines[@]}" "$@" "$here/installer/lumbrix64.nsi"

# The digests to publish beside the downloads, in sha256sum's format.
cd "$out"
sha256sum "Lumbrix64-$version-setup.exe" Lumbrix64-"$version"-*.msix Lumbrix64.dll ${arm64_dll:+arm64/Lumbrix64.dll} \
    >"Lumbrix64-$version-SHA256SUMS.txt"
