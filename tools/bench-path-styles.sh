#!/usr/bin/env bash
# The path styles and quotes against the Windows style under Wine: the cost
# per line of forming the path column of 50,000 walked paths, alone and with
# each line appended to a result list, best of several rounds, interleaved.
#   tools/bench-path-styles.sh [lines (50000)] [rounds (15)]
set -euo pipefail
source "$(dirname "$0")/environment.sh"
cd "$LUMBRIX_ROOT"

lumbrix_ensure_packages
lumbrix_log "building the benchmark in $LUMBRIX_BUILD"
cmake --preset mingw -B "$LUMBRIX_BUILD" >/dev/null
cmake --build "$LUMBRIX_BUILD" --target path_style_bench -j "$(nproc)"
lumbrix_start_wine

printf '%s\n' "machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) cores; $(wine --version)"
lumbrix_log "load before the run: $(cut -d' ' -f1-3 /proc/loadavg)"
wine "$LUMBRIX_BUILD/bench/path_style_bench.exe" "${1:-50000}" "${2:-15}" | tr -d '\r'
wine "$LUMBRIX_BUILD/bench/path_style_bench.exe" "${1:-50000}" "${2:-15}" --store | tr -d '\r'
lumbrix_log "load after the run: $(cut -d' ' -f1-3 /proc/loadavg)"
