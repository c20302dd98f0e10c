#!/usr/bin/env bash
# The end-to-end test programs (tests/e2e) and lumbrix-shell built for ARM64,
# run against the ARM64 DLL under Debian's ARM64 Wine in qemu-aarch64-static,
# with a prefix and an Xvfb display of their own. Opt-in: neither tools/test.sh
# nor CI runs it. The first run on a machine makes the ARM64 toolchain
# (tools/arm64-toolchain.sh) and unpacks the ARM64 Wine
# (tools/wine-arm64-sysroot.sh); later runs reuse both.
# Extra arguments go to ctest (for example: tools/wine-arm64.sh -R end_to_end).
set -euo pipefail
source "$(dirname "$0")/environment.sh"
cd "$LUMBRIX_ROOT"

lumbrix_ensure_packages native
wine=$("$LUMBRIX_ROOT/tools/wine-arm64-sysroot.sh")

LUMBRIX_BUILD=${LUMBRIX_WINE_ARM64_BUILD:-$LUMBRIX_ROOT/build/wine-arm64}
lumbrix_configure_arm64 "$LUMBRIX_BUILD" -DLUMBRIX_ARM64_E2E=ON \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$LUMBRIX_ROOT/tools/wine-exec"
lumbrix_log "building the ARM64 DLL, lumbrix-shell and the end-to-end tests"
nice cmake --build "$LUMBRIX_BUILD" -j "$(nproc)"

# The ARM64 wine and wineserver for the prefix, ctest (tools/wine-exec) and
# every process Wine starts.
export PATH=$wine/wrappers:$PATH
export WINELOADER=$wine/wrappers/wine WINESERVER=$wine/wrappers/wineserver WINELOADERNOEXEC=1
[ "$(command -v wine)" = "$WINELOADER" ] || { lumbrix_log "the ARM64 wine is not first in PATH"; exit 1; }
lumbrix_start_wine

lumbrix_log "running the end-to-end tests under $(head -n1 "$wine/versions.txt") in qemu"
ctest --test-dir "$LUMBRIX_BUILD" --output-on-failure "$@"
