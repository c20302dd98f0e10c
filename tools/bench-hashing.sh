#!/usr/bin/env bash
# Throughput of the hashing pass under Wine (the mingw build): a 1 GiB file in
# the page cache with MD5, SHA-1 and CRC-32 alone and all three (MB/s and the
# ratio all three / MD5 alone), and 10,000 files of 4 KiB (files/s): the pass,
# and bare reads with a reader thread per pass and per file.
#   tools/bench-hashing.sh [big MiB (1024)] [small files (10000)] [rounds (3)]
# The files stay in the Wine prefix's temporary folder between runs. The
# machine's two cores are shared: run it when nothing else is busy, and more
# than once.
set -euo pipefail
source "$(dirname "$0")/environment.sh"
cd "$LUMBRIX_ROOT"

lumbrix_ensure_packages
lumbrix_log "building the benchmark in $LUMBRIX_BUILD"
cmake --preset mingw -B "$LUMBRIX_BUILD" >/dev/null
cmake --build "$LUMBRIX_BUILD" --target hashing_bench -j 2
lumbrix_start_wine

lumbrix_log "load before the run: $(cut -d' ' -f1-3 /proc/loadavg)"
wine "$LUMBRIX_BUILD/bench/hashing_bench.exe" "${1:-1024}" "${2:-10000}" "${3:-3}"
lumbrix_log "load after the run: $(cut -d' ' -f1-3 /proc/loadavg)"
cat <<'TARGETS'
Targets: all three >= 0.90 x MD5 alone on the 1 GiB file; small files with
the reader thread kept for the pass well ahead of a thread per file.
TARGETS
