#!/usr/bin/env bash
# The main job: builds Lumbrix64.dll, registers it with regsvr32 in a private
# Wine prefix, right-clicks the given paths (or a sample folder) through
# lumbrix-shell, which plays Explorer's part, shows the inserted menu, runs a
# copy command and prints what the clipboard then holds.
#
# usage: tools/demo.sh [--mode full|subfolders|relative|onelevel|name]
#                      [--options NAME,NAME|none] [PATH...]
# The options are the registry value names: OutputDirectory OutputShortFileName
# OutputJunction EscapePathSeparator OutputURL OutputSize OutputCRC32 OutputMD5
# OutputSHA1 OutputSHA256 (default: OutputDirectory,OutputSize). PATHs are Linux paths; the
# items of one copy must share one folder, as in Explorer.
set -euo pipefail
source "$(dirname "$0")/environment.sh"
cd "$LUMBRIX_ROOT"

mode=subfolders
options=OutputDirectory,OutputSize
paths=()
while [ $# -gt 0 ]; do
    case "$1" in
        --mode) mode=$2; shift 2 ;;
        --options) options=$2; shift 2 ;;
        -h|--help) sed -n '2,14p' "$0"; exit 0 ;;
        *) paths+=("$1"); shift ;;
    esac
done
case "$mode" in
    full) command=1 ;; subfolders) command=2 ;; relative) command=3 ;; onelevel) command=4 ;; name) command=5 ;;
    *) echo "unknown mode: $mode" >&2; exit 2 ;;
esac

lumbrix_ensure_packages
lumbrix_build >/dev/null
lumbrix_start_wine

if [ ${#paths[@]} -eq 0 ]; then
    sample=$LUMBRIX_BUILD/sample/Proj
    rm -rf "$LUMBRIX_BUILD/sample"
    mkdir -p "$sample/src"
    head -c 1234 /dev/zero > "$sample/a b.txt"
    : > "$sample/empty.dat"
    head -c 56789 /dev/zero > "$sample/src/main.c"
    paths=("$sample")
fi
windows_paths=()
for path in "${paths[@]}"; do
    [ -e "$path" ] || { echo "no such file or folder: $path" >&2; exit 2; }
    windows_paths+=("$(wine winepath -w "$(realpath "$path")" 2>/dev/null | tr -d '\r')")
done

lumbrix_log "registering $(lumbrix_dll_windows_path)"
wine regsvr32 /s "$(lumbrix_dll_windows_path)"

shell=$LUMBRIX_BUILD/tools/lumbrix-shell.exe
lumbrix_log "the context menu of ${windows_paths[*]}"
wine "$shell" --options "$options" --menu "${windows_paths[@]}"
lumbrix_log "copy command $command ($mode) with $options; the clipboard then holds:"
wine "$shell" --command "$command" --print-clipboard --timing "${windows_paths[@]}"
