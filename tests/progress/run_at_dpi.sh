#!/usr/bin/env bash
# Runs the progress window's DPI test with Wine at each DPI given, then puts
# Wine back at 96 DPI for the tests that follow.
# usage: run_at_dpi.sh <progress_test.exe> <dpi>...
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
program=$1
shift
export WINEPREFIX=${WINEPREFIX:-$root/build/mingw/wine}

# Wine 8 reads the DPI from the registry when a process starts; the server keeps running.
set_dpi() {
    "$root/tools/wine-exec" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
}

trap 'set_dpi 96' EXIT
for dpi in "$@"; do
    set_dpi "$dpi"
    LUMBRIX_DPI=$dpi "$root/tools/wine-exec" "$program" --gtest_color=no \
        --gtest_filter=ProgressDpi.WindowRowsBarAndButtonScaleWithTheDpi
done
