#!/usr/bin/env bash
# The built package through the independent reader, a copy with a changed
# byte that it must reject, the built arm64 package, and the packer on a
# larger picture: several blocks, the same bytes twice; the setup made again
# in other folders, and its published digests.
# usage: package_test.sh PACKAGE VERSION PACKAGING_DIR WORK_DIR ICON [ARM64_PACKAGE]
set -uo pipefail
package=$1 version=$2 packaging=$3 work=$4 icon=$5 arm64=${6:-}
reader=$(dirname "$0")/package_reader.py
failures=0
check() { if "${@:2}"; then echo "ok   $1"; else echo "FAIL $1"; failures=$((failures + 1)); fi; }

check "the built package reads back, unsigned, at the project's version" \
    python3 "$reader" "$package" --version "$version" --arch x64 --unsigned
check "a changed picture breaks its block hashes" \
    python3 "$reader" "$package" --version "$version" --arch x64 --unsigned --tamper
# One family for both: the setup writes it under the class whichever it installs.
[ -z "$arm64" ] || check "the built arm64 package reads back, of the x64 package's family" eval \
    '[ "$(python3 "$reader" "$arm64" --version "$version" --arch arm64 --unsigned)" = "$(python3 "$reader" "$package" --version "$version" --arch x64 --unsigned)" ]'

rm -rf "$work" && mkdir -p "$work/source"
cp -r "$packaging/AppxManifest.xml" "$packaging/Assets" "$work/source/"
head -c 200000 /dev/urandom >"$work/source/Assets/Large.png"
pack() { python3 "$packaging/make_msix.py" --version 2.3.4.5 --arch arm64 "$work/source" "$1" >/dev/null; }
check "a 200,000-byte picture packs into four blocks, for arm64" eval \
    'pack "$work/a.msix" && python3 "$reader" "$work/a.msix" --version 2.3.4.5 --arch arm64 --unsigned'
check "packing again gives the same bytes" eval 'pack "$work/b.msix" && cmp "$work/a.msix" "$work/b.msix"'

# The setup from the built DLLs again, in two other folders: the same bytes
# (no date or folder of the build in them), and digests that match.
installer=$(dirname "$package")
repack() {
    "$packaging/make-package.sh" "$installer/Lumbrix64.dll" "$icon" "$version" "$1" \
        ${arm64:+"$installer/arm64/Lumbrix64.dll"} >/dev/null 2>&1
}
if [ -n "$icon" ] && [ -z "${LUMBRIX_SIGN_PFX:-}" ]; then
    setup=Lumbrix64-$version-setup.exe
    check "the setup packed twice in other folders has the same bytes" eval \
        'repack "$work/one" && sleep 1 && repack "$work/other folder" && cmp "$work/one/$setup" "$work/other folder/$setup"'
    check "the published digests match every file they name" eval \
        '(cd "$work/other folder" && sha256sum --quiet -c "Lumbrix64-$version-SHA256SUMS.txt") &&
         [ "$(wc -l <"$work/one/Lumbrix64-$version-SHA256SUMS.txt")" -eq $([ -n "$arm64" ] && echo 5 || echo 3) ]'
    check "the built folder's digests match it" eval \
        '(cd "$installer" && sha256sum --quiet -c "Lumbrix64-$version-SHA256SUMS.txt")'
fi

echo "$failures failure(s)"
[ "$failures" -eq 0 ]
