#!/usr/bin/env bash
# Digest throughput: our engines on every path against zlib's CRC-32 and
# OpenSSL's MD5, SHA-1 and SHA-256 (native Linux build with the DLL's optimisation
# level, no sanitizers).
#   tools/bench-digests.sh [gcc|clang] [rounds]
# gcc (the default) is the compiler family of the shipped DLL (mingw-w64 GCC).
# Build folder: LUMBRIX_BENCH_BUILD (default build/bench, or build/bench-clang).
set -euo pipefail
source "$(dirname "$0")/environment.sh"
cd "$LUMBRIX_ROOT"

compiler=${1:-gcc}
rounds=${2:-60}
case $compiler in
    gcc) cc=gcc cxx=g++ default_dir=build/bench ;;
    clang) cc=clang cxx=clang++ default_dir=build/bench-clang ;;
    *) echo "usage: $0 [gcc|clang] [rounds]" >&2; exit 2 ;;
esac
build=${LUMBRIX_BENCH_BUILD:-$LUMBRIX_ROOT/$default_dir}

lumbrix_ensure_packages native
lumbrix_log "building the benchmark with $cxx in $build"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=$cc -DCMAKE_CXX_COMPILER=$cxx \
    -DLUMBRIX_SANITIZE=OFF >/dev/null
cmake --build "$build" --target bench_digests -j 2 >/dev/null
bench=$build/bench/bench_digests

lumbrix_log "every engine; OpenSSL on its fastest code"
"$bench" all "$rounds"
lumbrix_log "SHA-1 for processors without the SHA extensions; OpenSSL with them masked"
OPENSSL_ia32cap=":~0x20000000" "$bench" sha1 "$rounds"
lumbrix_log "SHA-1 for processors without AVX2 either; OpenSSL with SHA, AVX2 and AVX masked"
OPENSSL_ia32cap="~0x1000000000000000:~0x20000020" "$bench" sha1 "$rounds"
lumbrix_log "SHA-256 for processors without the SHA extensions; OpenSSL with them masked"
OPENSSL_ia32cap=":~0x20000000" "$bench" sha256 "$rounds"

cat <<'TARGETS'
Targets: CRC-32 on the chosen path >= 2.00 x zlib; MD5 >= 0.95 x OpenSSL;
SHA-1 sha-ni >= 0.95 x OpenSSL; SHA-1 avx2 >= 0.90 x OpenSSL with SHA masked;
SHA-256 sha-ni >= 0.95 x OpenSSL.
TARGETS
