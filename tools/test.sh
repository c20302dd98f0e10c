#!/usr/bin/env bash
# Runs every test: the Windows DLL's tests under Wine (with Xvfb for windows)
# and the ARM64 DLL's structure, then the portable code's sanitizer tests and a
# short fuzzing run on Linux, and the same code with the ARM kernels built for
# AArch64 under qemu.
# Installs what is missing and starts what it needs. Extra arguments go to ctest
# (for example: tools/test.sh -R menu).
set -euo pipefail
source "$(dirname "$0")/environment.sh"
cd "$LUMBRIX_ROOT"

lumbrix_ensure_packages native
lumbrix_build_arm64
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

    lumbrix_log "running the portable tests and the ARM kernels for AArch64 under qemu"
    nativeArm64=${LUMBRIX_NATIVE_ARM64_BUILD:-$LUMBRIX_ROOT/build/native-arm64}
    cmake --preset native-arm64 -B "$nativeArm64" >/dev/null
    cmake --build "$nativeArm64" -j "$(nproc)"
    ctest --test-dir "$nativeArm64" --output-on-failure || status=$?
fi
exit $status
