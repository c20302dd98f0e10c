#!/usr/bin/env bash
# Peak working set of whole copies under Wine ("フルパス サブフォルダ付", with
# and without the size column) against the bytes of the text that reached the
# clipboard: each copy in a fresh process, through the handler's InvokeCommand.
#   tools/bench-memory.sh [FILES...]          (default: 300000 1000000)
#   tools/bench-memory.sh --phases [FILES...] the working set after each phase
# The trees (100 files a folder, empty files) stay in build/mingw/bench for
# later runs; remove them with rm -rf build/mingw/bench/memory-*.
set -euo pipefail
source "$(dirname "$0")/environment.sh"
cd "$LUMBRIX_ROOT"

mode=copy
if [ "${1:-}" = --phases ]; then
    mode=phases
    shift
fi
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(300000 1000000)

lumbrix_ensure_packages
cmake --preset mingw -B "$LUMBRIX_BUILD" >/dev/null
cmake --build "$LUMBRIX_BUILD" --target memory_bench -j "$(nproc)" >/dev/null
lumbrix_start_wine

printf '%s\n' "machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) cores; $(wine --version)"
for files in "${sizes[@]}"; do
    tree=$LUMBRIX_BUILD/bench/memory-$files
    if [ ! -f "$tree.done" ]; then
        lumbrix_log "making a tree of $files files in $tree"
        rm -rf "$tree"
        python3 - "$tree" "$files" <<'PY'
import os, sys
root, files = sys.argv[1], int(sys.argv[2])
for i in range(files):
    if i % 100 == 0:
        folder = os.path.join(root, "group%03d" % (i // 10000), "folder%05d" % (i // 100))
        os.makedirs(folder)
    os.close(os.open(os.path.join(folder, "file%07d.txt" % i), os.O_CREAT | os.O_WRONLY, 0o644))
PY
        touch "$tree.done"
    fi
    windows_tree=$(wine winepath -w "$tree" 2>/dev/null | tr -d '\r')
    lumbrix_log "$files files; load $(cut -d' ' -f1-3 /proc/loadavg)"
    for options in "" OutputSize; do
        wine "$LUMBRIX_BUILD/bench/memory_bench.exe" "$mode" "$windows_tree" $options | tr -d '\r'
    done
done
