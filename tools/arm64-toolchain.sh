#!/usr/bin/env bash
# The toolchain for the Windows ARM64 DLL, from Debian's archive only: clang,
# lld and the LLVM tools as packages; the mingw-w64 headers, CRT and import
# libraries (UCRT), compiler-rt's builtins, libunwind, libc++abi and libc++
# built here from Debian's own source packages. Built once into a folder of the
# cache (outside the clone), named by a key of the package versions and of this
# script, and reused from then on. Prints that folder; logs go to stderr.
set -euo pipefail

cache=${LUMBRIX_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/lumbrix64}
llvm=/usr/lib/llvm-19
triple=aarch64-w64-mingw32
sudo=
[ "$(id -u)" -eq 0 ] || sudo=sudo

log() { printf '\033[1m== %s\033[0m\n' "$*" >&2; }

ensure_packages() {
    local wanted=()
    [ -x $llvm/bin/clang ] || wanted+=(clang-19)
    [ -x $llvm/bin/ld.lld ] || wanted+=(lld-19)
    [ -x $llvm/bin/llvm-dlltool ] || wanted+=(llvm-19)
    command -v dpkg-source >/dev/null || wanted+=(dpkg-dev)
    command -v make >/dev/null || wanted+=(make)
    command -v cmake >/dev/null || wanted+=(cmake)
    command -v python3 >/dev/null || wanted+=(python3)
    command -v xz >/dev/null || wanted+=(xz-utils)
    command -v bzip2 >/dev/null || wanted+=(bzip2)
    [ ${#wanted[@]} -eq 0 ] && return 0
    log "installing: ${wanted[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${wanted[@]}" >/dev/null
}

# A deb-src entry for the release's main component, beside the machine's own
# entries, when apt knows no source of the wanted version yet.
ensure_source_entry() {
    local package=$1 version=$2
    local known
    known=$(apt-cache showsrc "$package" 2>/dev/null || true)
    grep -qx "Version: $version" <<<"$known" && return 0
    local uri suite list=/etc/apt/sources.list.d/lumbrix64-deb-src.sources
    uri=$(sed -n 's/^URIs: *\([^ ]*debian\/*\)$/\1/p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -n1 || true)
    suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
    log "adding a deb-src entry for $suite main ($list)"
    $sudo tee "$list" >/dev/null <<EOF
Types: deb-src
URIs: ${uri:-http://deb.debian.org/debian}
Suites: $suite
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
    $sudo apt-get update -qq
}

# Runs a build step with its output in the work folder's log; on failure shows
# the log's end. In the background, so that errexit holds inside the step.
step() {
    local name=$1
    shift
    local started=$SECONDS
    log "arm64 toolchain: $name"
    ("$@") >"$work/$name.log" 2>&1 &
    if ! wait $!; then
        tail -n 40 "$work/$name.log" >&2
        log "arm64 toolchain: $name failed; the whole log is $work/$name.log"
        exit 1
    fi
    printf '%s: %d s\n' "$name" $((SECONDS - started)) >>"$work/times.txt"
}

# Compiler drivers that find this folder's headers, libraries and runtimes
# wherever the folder is.
write_wrappers() {
    local bin=$1/bin
    mkdir -p "$bin" "$1/lib/clang/$resource/lib/windows"
    ln -sfn "$($llvm/bin/clang -print-resource-dir)/include" "$1/lib/clang/$resource/include"
    local driver
    for driver in clang clang++; do
        cat >"$bin/$triple-$driver" <<EOF
#!/bin/sh
root=\$(cd "\$(dirname "\$0")/.." && pwd)
exec $llvm/bin/$driver --target=$triple --sysroot="\$root" -resource-dir="\$root/lib/clang/$resource" \\
    -rtlib=compiler-rt -unwindlib=libunwind $([ $driver = clang++ ] && echo '-stdlib=libc++ ')-fuse-ld=lld \\
    -Wno-unused-command-line-argument "\$@"
EOF
    done
    cat >"$bin/$triple-windres" <<EOF
#!/bin/sh
root=\$(cd "\$(dirname "\$0")/.." && pwd)
exec $llvm/bin/llvm-windres --target=$triple -I "\$root/$triple/include" "\$@"
EOF
    chmod +x "$bin"/*
}

# The steps of a build into $out from the sources in $work.
download() {
    (cd "$work" && apt-get source -qq --download-only "mingw-w64=$mingwVersion" "llvm-toolchain-19=$llvmVersion")
}

unpack() {
    dpkg-source -x "$work"/mingw-w64_*.dsc "$work/mingw"
    local tarball top
    tarball=$(ls "$work"/llvm-toolchain-19_*.orig.tar.xz)
    top=$(basename "$tarball" .orig.tar.xz)
    # Only the runtimes and the CMake modules they need, without their tests.
    tar -xJf "$tarball" -C "$work" --transform="s,^$top,llvm," \
        --exclude="$top/*/test" --exclude="$top/libcxx/benchmarks" --exclude="$top/compiler-rt/lib/[!b]*" \
        "$top/runtimes" "$top/libcxx" "$top/libcxxabi" "$top/libunwind" "$top/compiler-rt" "$top/cmake" \
        "$top/llvm/cmake" "$top/llvm/utils/llvm-lit" "$top/llvm/utils/lit"
}

headers() {
    mkdir -p "$work/headers" && cd "$work/headers"
    "$work/mingw/mingw-w64-headers/configure" --host=$triple --prefix="$out/$triple" --with-default-msvcrt=ucrt
    make install
}

crt() {
    mkdir -p "$work/crt" && cd "$work/crt"
    "$work/mingw/mingw-w64-crt/configure" --host=$triple --prefix="$out/$triple" --with-sysroot="$out" \
        --enable-libarm64 --disable-lib32 --disable-lib64 --disable-libarm32 --with-default-msvcrt=ucrt \
        CC="$out/bin/$triple-clang" AR=$llvm/bin/llvm-ar RANLIB=$llvm/bin/llvm-ranlib DLLTOOL=$llvm/bin/llvm-dlltool
    nice make -j"$(nproc)"
    make install
}

cmake_build() {
    local name=$1 source=$2
    shift 2
    mkdir -p "$work/$name" && cd "$work/$name"
    cmake "$source" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=Release -DCMAKE_SYSTEM_NAME=Windows \
        -DCMAKE_SYSTEM_PROCESSOR=aarch64 -DCMAKE_AR=$llvm/bin/llvm-ar -DCMAKE_RANLIB=$llvm/bin/llvm-ranlib \
        -DCMAKE_C_COMPILER="$out/bin/$triple-clang" -DCMAKE_C_COMPILER_WORKS=ON "$@"
    nice make -j"$(nproc)"
    make install
}

builtins() {
    cmake_build builtins "$work/llvm/compiler-rt/lib/builtins" \
        -DCMAKE_ASM_COMPILER="$out/bin/$triple-clang" -DCMAKE_ASM_COMPILER_WORKS=ON \
        -DCMAKE_C_COMPILER_TARGET=aarch64-w64-windows-gnu -DCMAKE_ASM_COMPILER_TARGET=aarch64-w64-windows-gnu \
        -DCOMPILER_RT_DEFAULT_TARGET_ONLY=ON -DCOMPILER_RT_USE_BUILTINS_LIBRARY=ON \
        -DLLVM_CMAKE_DIR=$llvm/lib/cmake/llvm -DCMAKE_INSTALL_PREFIX="$out/lib/clang/$resource"
}

# Static libraries only, so that the DLL carries its C++ runtime and imports
# system DLLs alone; threads on the Win32 API (no winpthreads).
runtimes() {
    cmake_build runtimes "$work/llvm/runtimes" -DLLVM_ENABLE_RUNTIMES="libunwind;libcxxabi;libcxx" \
        -DCMAKE_CXX_COMPILER="$out/bin/$triple-clang++" -DCMAKE_CXX_COMPILER_WORKS=ON \
        -DCMAKE_INSTALL_PREFIX="$out/$triple" \
        -DLIBUNWIND_USE_COMPILER_RT=ON -DLIBUNWIND_ENABLE_SHARED=OFF -DLIBUNWIND_INCLUDE_TESTS=OFF \
        -DLIBCXXABI_USE_COMPILER_RT=ON -DLIBCXXABI_USE_LLVM_UNWINDER=ON -DLIBCXXABI_ENABLE_SHARED=OFF \
        -DLIBCXXABI_INCLUDE_TESTS=OFF -DLIBCXX_USE_COMPILER_RT=ON -DLIBCXX_ENABLE_SHARED=OFF \
        -DLIBCXX_CXX_ABI=libcxxabi -DLIBCXX_ENABLE_STATIC_ABI_LIBRARY=ON -DLIBCXX_INCLUDE_TESTS=OFF \
        -DLIBCXX_INCLUDE_BENCHMARKS=OFF -DLIBCXX_INSTALL_MODULES=OFF -DLIBCXX_ENABLE_ABI_LINKER_SCRIPT=OFF
}

ensure_packages
clangVersion=$(dpkg-query -W -f '${Version}' clang-19)
llvmVersion=$(dpkg-query -W -f '${source:Version}' clang-19)
# mingw-w64-common comes from the mingw-w64 source at the same version; apt
# knows it from the package lists alone, before any deb-src entry.
mingwCandidate() { apt-cache policy mingw-w64-common | sed -n 's/^ *Candidate: *//p'; }
mingwVersion=$(mingwCandidate)
if [ -z "$mingwVersion" ] || [ "$mingwVersion" = "(none)" ]; then
    $sudo apt-get update -qq
    mingwVersion=$(mingwCandidate)
fi
script=$(sha256sum "${BASH_SOURCE[0]}" | cut -d' ' -f1)
key=$(printf '%s\n' "mingw-w64 $mingwVersion" "llvm-toolchain-19 $llvmVersion" "clang-19 $clangVersion" "$script" |
    sha256sum | cut -c1-16)
dest=$cache/arm64-toolchain-$key

if [ ! -f "$dest/versions.txt" ]; then
    mkdir -p "$cache"
    exec 9>"$cache/arm64-toolchain.lock"
    flock 9
    if [ ! -f "$dest/versions.txt" ]; then
        ensure_source_entry mingw-w64 "$mingwVersion"
        ensure_source_entry llvm-toolchain-19 "$llvmVersion"
        log "building the ARM64 toolchain once into $dest"
        started=$(date +%s)
        work=$cache/arm64-toolchain-$key.work
        rm -rf "$work" "$dest.part" "$dest"
        mkdir -p "$work" "$dest.part"
        out=$dest.part
        resource=$(basename "$($llvm/bin/clang -print-resource-dir)")
        step download download
        step unpack unpack
        write_wrappers "$out"
        step headers headers
        step crt crt
        step builtins builtins
        step runtimes runtimes
        {
            printf '%s\n' "mingw-w64 $mingwVersion" "llvm-toolchain-19 $llvmVersion" "clang-19 $clangVersion"
            cat "$work/times.txt"
            echo "built in $(($(date +%s) - started)) s on $(nproc) processors"
        } >"$dest.part/versions.txt"
        mv "$dest.part" "$dest"
        [ -n "${LUMBRIX_KEEP_TOOLCHAIN_WORK:-}" ] || rm -rf "$work"
        log "ARM64 toolchain ready: $(tail -n1 "$dest/versions.txt")"
    fi
fi
echo "$dest"
