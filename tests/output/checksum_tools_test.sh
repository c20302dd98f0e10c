#!/usr/bin/env bash
# The checksum files that checksum_list_probe writes under Wine, checked with
# Debian's sha256sum, sha1sum, md5sum (strict: every line well formed) and
# cksfv, as users check them: every file of the tree is listed once, the list
# itself not, and every line checks out.
set -u
: "${LUMBRIX_CHECKSUM_PROBE:?}" "${LUMBRIX_CHECKSUM_WORK:?}"
failures=0
check() { # check DESCRIPTION COMMAND...
    if "${@:2}"; then echo "ok   $1"; else echo "FAIL $1"; failures=$((failures + 1)); fi
}

rm -rf "$LUMBRIX_CHECKSUM_WORK"
mkdir -p "$LUMBRIX_CHECKSUM_WORK"
check "the probe writes four lists" wine "$LUMBRIX_CHECKSUM_PROBE" "Z:$(echo "$LUMBRIX_CHECKSUM_WORK" | tr / '\\')"
cd "$LUMBRIX_CHECKSUM_WORK/tree" || exit 1

files=$(find . -type f ! -name 'tree.*' | wc -l)
listed() { [ "$(wc -l <"$1")" -eq "$2" ]; }
plain() { ! grep -q $'\r' "$1" && [ "$(head -c3 "$1")" != $'\xEF\xBB\xBF' ]; }
check "the tree has a path of 300 characters" test -n "$(find "$PWD" -name 'deep file.txt' | awk 'length($0) > 300')"
check "sha256sum -c checks every line" sha256sum -c --strict --quiet tree.sha256
check "sha1sum -c checks every line" sha1sum -c --strict --quiet tree.sha1
check "md5sum -c checks every line" md5sum -c --strict --quiet tree.md5
check "cksfv -f checks every line" cksfv -q -f tree.sfv
check "the SHA-256 list has every file but itself" listed tree.sha256 "$files"
check "each later list has the earlier ones too" listed tree.sfv $((files + 3))
check "no list lists itself" bash -c '! grep -q "tree.sha256$" tree.sha256 && ! grep -q "^tree.sfv " tree.sfv'
for list in tree.sha256 tree.sha1 tree.md5 tree.sfv; do
    check "$list: no byte-order mark, no CR" plain "$list"
done
check "relative paths with / and lower-case hex" grep -q '^[0-9a-f]\{64\}  sub/inner.dat$' tree.sha256
check "SFV lines end in upper-case hex" grep -q '^sub/inner.dat [0-9A-F]\{8\}$' tree.sfv
check "no temporary file is left" test "$(find . -name '*.tmp' | wc -l)" -eq 0
[ "$failures" -eq 0 ]
