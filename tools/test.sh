#!/usr/bin/env bash
# Runs every test: the Windows DLL's tests under Wine (with Xvfb for windows),
# then the portable code's sanitizer tests and a short fuzzing run on Linux.
# Installs what is missing and starts what it needs. Extra arguments go to ctest
# (for example: tools/test.sh -R menu).
set -euo pipefail
source "$(dirname "$0")/environment.sh"
cd "$LUMBRIX_ROOT"

lumbrix_ensure_packages native
lumbrix_build
lumbrix_start_wine

lumbrix_log "running the tests under Wine"
status=0
ctest --test-dir "$LUMBRIX_BUILD" --output-on-failure "$@" || status=$?

if [ $# -eq 0 ]; then
    lumbrix_log "running the portable tests under sanitizers"
    native=${LUMBRIX_NATIVE_BUILD:-$LUMBRIX_ROOT/build/native}
    cmake --preset native -B "$native" >/dev/null
    cmake --build "$native" -j "$(nproc)"
    ctest --test-dir "$native" --output-on-failure || status=$?
fi
exit $status
