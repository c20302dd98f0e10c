#!/usr/bin/env bash
# A SHA-256 checksum list of a million lines (or LINES) read into the store
# under Wine: lines a second, bytes an entry, the process's growth against the
# list's size, lookups and the report; then, in a second process, what a
# result list of the same files adds. Then the verify command's phases on
# such a list, first when none of its files exists, then on a tree of that
# many empty files (made once in build/mingw/bench/checksum-tree, kept), with
# the growth against the list's size; and each phase cancelled a moment into
# it. The lists are made in build/mingw/bench and removed afterwards.
#   tools/bench-checksum.sh [LINES]
set -euo pipefail
source "$(dirname "$0")/environment.sh"
cd "$LUMBRIX_ROOT"

lumbrix_prepare_bench checksum_bench
mkdir -p "$LUMBRIX_BUILD/bench/checksum"
folder="Z:$(echo "$LUMBRIX_BUILD/bench/checksum" | tr / '\\')"
wine "$LUMBRIX_BUILD/bench/checksum_bench.exe" "$folder" "${1:-1000000}" | tr -d '\r'
lumbrix_log "the same list with a result list of its files beside the store"
wine "$LUMBRIX_BUILD/bench/checksum_bench.exe" "$folder" "${1:-1000000}" result-list | tr -d '\r' | tail -n +5
lines=${1:-1000000}
lumbrix_log "verifying the list when none of its files exists"
wine "$LUMBRIX_BUILD/bench/checksum_bench.exe" "$folder" "$lines" verify | tr -d '\r' | tail -n +2
tree=$LUMBRIX_BUILD/bench/checksum-tree
if [ "$(cat "$tree/.lines" 2>/dev/null)" != "$lines" ]; then
    lumbrix_log "making $lines empty files in $tree"
    rm -rf "$tree"
    python3 - "$tree" "$lines" <<'PY'
import os, sys
root, lines = sys.argv[1], int(sys.argv[2])
for i in range(lines):
    if i % 100 == 0:
        folder = os.path.join(root, "group%03d" % (i // 10000), "folder%05d" % (i // 100))
        os.makedirs(folder, exist_ok=True)
    open(os.path.join(folder, "file%07d.txt" % i), "wb").close()
PY
    echo "$lines" >"$tree/.lines"
fi
treeFolder="Z:$(echo "$tree" | tr / '\\')"
lumbrix_log "verifying the list on the tree of its files"
wine "$LUMBRIX_BUILD/bench/checksum_bench.exe" "$treeFolder" "$lines" verify | tr -d '\r' | tail -n +2
lumbrix_log "each phase of a verification cancelled"
wine "$LUMBRIX_BUILD/bench/checksum_bench.exe" "$treeFolder" "$lines" cancel | tr -d '\r' | tail -n +2
lumbrix_log "load after the run: $(cut -d' ' -f1-3 /proc/loadavg)"
