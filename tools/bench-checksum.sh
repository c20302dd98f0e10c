#!/usr/bin/env bash
# A SHA-256 checksum list of a million lines (or LINES) read into the store
# under Wine: lines a second, bytes an entry, the process's growth against the
# list's size, lookups and the report; then, in a second process, what a
# result list of the same files adds. The list is made in build/mingw/bench
# and removed afterwards.
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
lumbrix_log "load after the run: $(cut -d' ' -f1-3 /proc/loadavg)"
