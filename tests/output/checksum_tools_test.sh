#!/usr/bin/env bash
# Checksum files of every type made through the create command, as a user
# makes them: lumbrix-shell plays the Windows 11 menu on a tree of awkward
# names, picks command 16 and types the list's name into the Save dialog.
# Debian's sha256sum, sha1sum, md5sum (strict: every line well formed) and
# cksfv then check the lists as users check them: every file of the tree is
# listed once, the list itself not, and every line checks out.
set -u
: "${LUMBRIX_SHELL_PATH:?}" "${LUMBRIX_MANIFEST_PATH:?}" "${LUMBRIX_DLL_PATH:?}" "${LUMBRIX_CHECKSUM_WORK:?}"
failures=0
check() { # check DESCRIPTION COMMAND...
    if "${@:2}"; then echo "ok   $1"; else echo "FAIL $1"; failures=$((failures + 1)); fi
}
windows() { printf 'Z:%s' "$1" | tr / '\\'; }

rm -rf "$LUMBRIX_CHECKSUM_WORK"
tree=$LUMBRIX_CHECKSUM_WORK/tree
deep="long/$(printf 'd%.0s' {1..90})/$(printf 'e%.0s' {1..90})/$(printf 'f%.0s' {1..90})"
mkdir -p "$tree/sub" "$tree/$deep"
printf 'spaces\n' >"$tree/a b.txt"
printf 'Japanese\n' >"$tree/日本語 ファイル.txt"
head -c 100000 /dev/zero | tr '\0' '\177' >"$tree/emoji 😀.bin"
printf 'inner' >"$tree/sub/inner.dat"
printf 'deep' >"$tree/$deep/deep file.txt"
: >"$tree/empty.txt"
printf 'stale\n' >"$tree/tree.sha256" # selected too: it must not list itself

# The tree selected, each list typed with its full path into the dialog.
for list in tree.sha256 tree.sha1 tree.md5 tree.sfv; do
    check "command 16 writes $list" wine "$LUMBRIX_SHELL_PATH" --win11 "$(windows "$LUMBRIX_MANIFEST_PATH")" \
        --external-location "$(windows "$(dirname "$LUMBRIX_DLL_PATH")")" --command 16 \
        --save-as "$(windows "$tree/$list")" "$(windows "$tree")"
done
cd "$tree" || exit 1

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
