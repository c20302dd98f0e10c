#!/usr/bin/env bash
# Peak working set of whole copies under Wine ("フルパス サブフォルダ付", with
# and without the size column) against the bytes of the text that reached the
# clipboard: each copy in a fresh process, through the handler's InvokeCommand.
#   tools/bench-memory.sh [FILES...]            (default: 300000 1000000)
#   tools/bench-memory.sh --phases [FILES...]   the working set after each phase
#   tools/bench-memory.sh --progress [FILES...] each phase's length, how the bar
#       moved, and a cancel one second into each phase
# The trees (100 files a folder, empty files) stay in build/mingw/bench for
# later runs; remove them with rm -rf build/mingw/bench/memory-*. From ten
# million files on, a tree is made of folder links to the 1,000,000-file one
# (a million files a link); FILES-long gives the links names of 150
# characters, for a text beyond the 4 GiB that the clipboard takes under Wine,
# which then goes to the save-to-file fallback (build/mingw/bench/memory-saved.txt,
# removed after each copy).
set -euo pipefail
source "$(dirname "$0")/environment.sh"
cd "$LUMBRIX_ROOT"

mode=copy
case "${1:-}" in
--phases) mode=phases; shift ;;
--progress) mode=progress; shift ;;
esac
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(300000 1000000)

lumbrix_ensure_packages
cmake --preset mingw -B "$LUMBRIX_BUILD" >/dev/null
cmake --build "$LUMBRIX_BUILD" --target memory_bench -j "$(nproc)" >/dev/null
# The phases named below are the step texts of a Japanese display language.
export LC_ALL=ja_JP.UTF-8
lumbrix_start_wine
bench=$LUMBRIX_BUILD/bench

make_tree() { # FILES FOLDER
    python3 - "$2" "$1" <<'EOF'
import os, sys
root, files = sys.argv[1], int(sys.argv[2])
for i in range(files):
    if i % 100 == 0:
        folder = os.path.join(root, "group%03d" % (i // 10000), "folder%05d" % (i // 100))
        os.makedirs(folder)
    os.close(os.open(os.path.join(folder, "file%07d.txt" % i), os.O_CREAT | os.O_WRONLY, 0o644))
EOF
}

printf '%s\n' "machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) cores; $(wine --version)"
for files in "${sizes[@]}"; do
    tree=$bench/memory-$files
    count=${files%-long}
    if [ ! -f "$tree.done" ] && [ "$count" -ge 10000000 ]; then
        if [ ! -f "$bench/memory-1000000.done" ]; then
            lumbrix_log "making a tree of 1000000 files in $bench/memory-1000000"
            rm -rf "$bench/memory-1000000"
            make_tree 1000000 "$bench/memory-1000000"
            touch "$bench/memory-1000000.done"
        fi
        rm -rf "$tree"
        mkdir -p "$tree"
        name=link
        [ "$files" = "$count" ] || name=$(printf 'a-folder-link-with-a-long-name-%.0s' 1 2 3 4 5)
        for ((i = 0; i < count / 1000000; ++i)); do ln -s ../memory-1000000 "$tree/$name$(printf %02d "$i")"; done
        touch "$tree.done"
    fi
    if [ ! -f "$tree.done" ]; then
        lumbrix_log "making a tree of $files files in $tree"
        rm -rf "$tree"
        make_tree "$files" "$tree"
        touch "$tree.done"
    fi
    windows_tree=$(wine winepath -w "$tree" 2>/dev/null | tr -d '\r')
    saved=$(wine winepath -w "$bench/memory-saved.txt" 2>/dev/null | tr -d '\r')
    lumbrix_log "$files files; load $(cut -d' ' -f1-3 /proc/loadavg)"
    for options in "" OutputSize; do
        case $mode in
        copy) wine "$bench/memory_bench.exe" copy "$windows_tree" $options --save "$saved" | tr -d '\r' ;;
        phases) wine "$bench/memory_bench.exe" phases "$windows_tree" $options | tr -d '\r' ;;
        progress)
            printf '%s\n' "${options:-paths only}, the whole copy:"
            wine "$bench/memory_bench.exe" progress "$windows_tree" $options | tr -d '\r'
            for phase in 検索 並べ替え テキストを生成 クリップボード; do
                printf '%s\n' "${options:-paths only}, cancelled in $phase:"
                wine "$bench/memory_bench.exe" progress "$windows_tree" $options --cancel "$phase" | tr -d '\r' |
                    grep -E "cancelled|^  $phase"
            done
            ;;
        esac
        rm -f "$bench/memory-saved.txt"
    done
done
