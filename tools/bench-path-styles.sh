#!/usr/bin/env bash
# The path styles and quotes against the Windows style under Wine: the cost
# per line of forming the path column of 50,000 walked paths, alone and with
# each line appended to a result list, best of several rounds, interleaved.
#   tools/bench-path-styles.sh [lines (50000)] [rounds (15)]
set -euo pipefail
source "$(dirname "$0")/environment.sh"
cd "$LUMBRIX_ROOT"

lumbrix_prepare_bench path_style_bench
wine "$LUMBRIX_BUILD/bench/path_style_bench.exe" "${1:-50000}" "${2:-15}" | tr -d '\r'
wine "$LUMBRIX_BUILD/bench/path_style_bench.exe" "${1:-50000}" "${2:-15}" --store | tr -d '\r'
lumbrix_log "load after the run: $(cut -d' ' -f1-3 /proc/loadavg)"
