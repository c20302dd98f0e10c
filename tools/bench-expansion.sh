#!/usr/bin/env bash
# The expansion of a tree under Wine ("フルパス サブフォルダ付", with and
# without the size column) against a bare FindFirstFileExW walk of the same
# tree that builds each full path, best of several rounds, interleaved; then
# the loop check's identity queries and the walk through a folder link.
#   tools/bench-expansion.sh [files per folder (100)] [folders (500)] [rounds (7)]
set -euo pipefail
source "$(dirname "$0")/environment.sh"
cd "$LUMBRIX_ROOT"

lumbrix_prepare_bench expansion_bench
# No result-list inserts (the last argument but one): those have their own numbers.
wine "$LUMBRIX_BUILD/bench/expansion_bench.exe" "${1:-100}" "${2:-500}" 0 "${3:-7}" | tr -d '\r'
lumbrix_log "load after the run: $(cut -d' ' -f1-3 /proc/loadavg)"
