#!/usr/bin/env bash
# Initialize of the context-menu handler on a large selection under Wine: with
# the shell's own data object (the kinds of the items from its item list) and
# with a name list alone (an attribute query per name).
#   tools/bench-initialize.sh [files (10000)] [rounds (5)]
set -euo pipefail
source "$(dirname "$0")/environment.sh"
cd "$LUMBRIX_ROOT"

lumbrix_ensure_packages
cmake --preset mingw -B "$LUMBRIX_BUILD" >/dev/null
cmake --build "$LUMBRIX_BUILD" --target initialize_bench -j 2 >/dev/null
lumbrix_start_wine
wine "$LUMBRIX_BUILD/bench/initialize_bench.exe" "${1:-10000}" "${2:-5}"
