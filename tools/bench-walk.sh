#!/usr/bin/env bash
# Benchmark of a whole copy on large trees, under Wine: the time from
# InvokeCommand to the clipboard, files per second and the host's peak working
# set, for "フルパス サブフォルダ付" with and without the size column, against
# Wine's own `cmd /c dir /s /b` on the same tree; then the same copy in each
# path style (and the costliest quoting) against the Windows style, the styles
# interleaved round by round, best of LUMBRIX_STYLE_ROUNDS (5) rounds each.
# usage: tools/bench-walk.sh [FILES_PER_TREE...]   (default: 10000 100000)
set -euo pipefail
source "$(dirname "$0")/environment.sh"
cd "$LUMBRIX_ROOT"

sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(10000 100000)

lumbrix_ensure_packages
lumbrix_build >/dev/null
lumbrix_start_wine
wine regsvr32 /s "$(lumbrix_dll_windows_path)"
shell=$LUMBRIX_BUILD/tools/lumbrix-shell.exe

now_ms() { date +%s%3N; }

printf '%s\n' "machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) cores; $(wine --version)"
for files in "${sizes[@]}"; do
    folders=$((files / 100))
    tree=$LUMBRIX_BUILD/bench/tree-$files
    if [ ! -f "$tree.done" ]; then
        rm -rf "$tree"
        python3 - "$tree" "$folders" <<'PY'
import os, sys
root, folders = sys.argv[1], int(sys.argv[2])
for f in range(folders):
    folder = os.path.join(root, "folder%04d" % f)
    os.makedirs(folder)
    for i in range(100):
        path = os.path.join(folder, "file%05d.txt" % (f * 100 + i))
        with open(path, "wb") as handle:
            handle.truncate((f * 100 + i) * 37 % 50000)
PY
        touch "$tree.done"
    fi
    windows_tree=$(wine winepath -w "$tree" 2>/dev/null | tr -d '\r')
    # Warm the file system caches once.
    wine cmd /c dir /s /b "$windows_tree" >/dev/null 2>&1
    for options in OutputDirectory OutputDirectory,OutputSize; do
        report=$(wine "$shell" --options "$options" --command 2 --timing "$windows_tree" | tr -d '\r')
        clipboard_ms=$(sed -n 's/.*the clipboard changed after \([0-9]*\) ms.*/\1/p' <<<"$report")
        peak=$(sed -n 's/.*peak working set \([0-9]*\) MiB.*/\1/p' <<<"$report")
        lines=$((files + folders + 1))
        printf '%7d files, %-26s InvokeCommand to clipboard %6s ms  (%6s files/s)  peak working set %4s MiB\n' \
            "$files" "$options:" "$clipboard_ms" "$((files * 1000 / (clipboard_ms > 0 ? clipboard_ms : 1)))" "$peak"
    done
    start=$(now_ms)
    wine cmd /c dir /s /b "$windows_tree" >/dev/null 2>&1
    dir_ms=$(($(now_ms) - start))
    printf '%7d files, %-26s %6s ms\n' "$files" "cmd /c dir /s /b:" "$dir_ms"

    # The clock and the processor time of the whole lumbrix-shell process (the
    # copy, its window, the shell's own start), each the best of the rounds.
    styles=(PathStyle=0 PathStyle=1 PathStyle=2 PathStyle=3 PathStyle=4 PathStyle=3,QuoteStyle=2 SingleLine)
    declare -A best=() best_cpu=()
    for _ in $(seq "${LUMBRIX_STYLE_ROUNDS:-5}"); do
        for style in "${styles[@]}"; do
            report=$(wine "$shell" --options "OutputDirectory,$style" --command 2 --timing "$windows_tree" | tr -d '\r')
            ms=$(sed -n 's/.*the clipboard changed after \([0-9]*\) ms.*/\1/p' <<<"$report")
            cpu=$(sed -n 's/.*processor time \([0-9]*\) ms.*/\1/p' <<<"$report")
            if [ -n "$ms" ] && { [ -z "${best[$style]:-}" ] || [ "$ms" -lt "${best[$style]}" ]; }; then
                best[$style]=$ms
            fi
            if [ -n "$cpu" ] && { [ -z "${best_cpu[$style]:-}" ] || [ "$cpu" -lt "${best_cpu[$style]}" ]; }; then
                best_cpu[$style]=$cpu
            fi
        done
    done
    ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }
    for style in "${styles[@]}"; do
        printf '%7d files, %-26s InvokeCommand to clipboard %6s ms (%s x Windows), processor time %6s ms (%s x Windows)\n' \
            "$files" "$style:" "${best[$style]}" "$(ratio "${best[$style]}" "${best[PathStyle=0]}")" \
            "${best_cpu[$style]}" "$(ratio "${best_cpu[$style]}" "${best_cpu[PathStyle=0]}")"
    done
done
