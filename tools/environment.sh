# Shared by the project's scripts (sourced, not run): installs what is missing,
# prepares the private Wine prefix and starts Xvfb and the Wine server.

LUMBRIX_ROOT=${LUMBRIX_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
LUMBRIX_BUILD=${LUMBRIX_BUILD:-$LUMBRIX_ROOT/build/mingw}

lumbrix_log() { printf '\033[1m== %s\033[0m\n' "$*" >&2; }

# Debian/Ubuntu packages the build and the tests need, by the command that shows each one is there.
lumbrix_ensure_packages() {
    local wanted=()
    command -v cmake >/dev/null || wanted+=(cmake)
    command -v make >/dev/null || wanted+=(make)
    command -v python3 >/dev/null || wanted+=(python3)
    command -v x86_64-w64-mingw32-g++-posix >/dev/null || wanted+=(g++-mingw-w64-x86-64)
    command -v x86_64-w64-mingw32-windres >/dev/null || wanted+=(binutils-mingw-w64-x86-64)
    [ -d /usr/share/mingw-w64 ] || wanted+=(mingw-w64-tools)
    command -v wine >/dev/null || wanted+=(wine wine64)
    [ -x /usr/lib/wine/wine64 ] || wanted+=(wine64)
    command -v Xvfb >/dev/null || wanted+=(xvfb xauth)
    command -v import >/dev/null || wanted+=(imagemagick)
    command -v xwininfo >/dev/null || wanted+=(x11-utils)
    fc-list 2>/dev/null | grep -i 'Noto Sans CJK' >/dev/null || wanted+=(fonts-noto-cjk fontconfig)
    [ -f /usr/src/googletest/CMakeLists.txt ] || wanted+=(googletest)
    # The installer package, and its signature when a certificate is supplied
    # (osslsigncode: lumbrix_ensure_osslsigncode).
    command -v makensis >/dev/null || wanted+=(nsis)
    command -v openssl >/dev/null || wanted+=(openssl)
    # Checking the checksum files that the product writes, as users will.
    command -v cksfv >/dev/null || wanted+=(cksfv)
    command -v locale-gen >/dev/null || wanted+=(locales)
    if [ "${1:-}" = native ]; then
        command -v clang++ >/dev/null || wanted+=(clang)
        [ -f /usr/include/openssl/sha.h ] || wanted+=(libssl-dev)
        [ -f /usr/include/zlib.h ] || wanted+=(zlib1g-dev)
        ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1 || wanted+=(libclang-rt-dev)
        # The portable code and the ARM kernels for Linux on AArch64, run under qemu.
        command -v aarch64-linux-gnu-g++ >/dev/null || wanted+=(g++-aarch64-linux-gnu)
        command -v qemu-aarch64-static >/dev/null || wanted+=(qemu-user-static)
    fi
    if [ ${#wanted[@]} -gt 0 ]; then
        lumbrix_log "installing: ${wanted[*]}"
        lumbrix_apt update -qq
        lumbrix_apt install -y -qq --no-install-recommends "${wanted[@]}" >/dev/null
    fi
    lumbrix_ensure_locales
    lumbrix_ensure_osslsigncode
}

# The Unix locales that make Wine programs run as a Japanese or an English
# Windows (display language, code pages), and under which non-ASCII arguments
# reach them intact: ja_JP.UTF-8 and en_US.UTF-8, generated once when missing.
lumbrix_ensure_locales() {
    local missing=() name present
    present=$(locale -a 2>/dev/null || true)
    for name in ja_JP en_US; do
        grep -qix "$name\.utf-\?8" <<<"$present" || missing+=("$name")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if ! command -v locale-gen >/dev/null; then
        lumbrix_apt update -qq
        lumbrix_apt install -y -qq --no-install-recommends locales >/dev/null
    fi
    lumbrix_log "generating the locales ${missing[*]/%/.UTF-8}"
    for name in "${missing[@]}"; do
        if grep -q "^# *$name\.UTF-8 UTF-8" /etc/locale.gen 2>/dev/null; then
            lumbrix_as_root sed -i "s/^# *\($name\.UTF-8 UTF-8\)/\1/" /etc/locale.gen
        elif ! grep -q "^$name\.UTF-8 UTF-8" /etc/locale.gen 2>/dev/null; then
            echo "$name.UTF-8 UTF-8" | lumbrix_as_root tee -a /etc/locale.gen >/dev/null
        fi
    done
    lumbrix_as_root locale-gen >/dev/null
}

lumbrix_as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

lumbrix_apt() {
    lumbrix_as_root env DEBIAN_FRONTEND=noninteractive apt-get "$@"
}

# osslsigncode signs APPX/MSIX packages from 2.9 on; Debian 12 has that one in
# bookworm-backports only, which a fresh machine may not list.
lumbrix_ensure_osslsigncode() {
    local version
    # Not installed yet on a fresh machine: no version, not an error.
    version=$( (osslsigncode --version 2>/dev/null || true) | sed -n '1s/^osslsigncode \([0-9.]*\).*/\1/p')
    [ -n "$version" ] && dpkg --compare-versions "$version" ge 2.9 && return 0
    local codename package=osslsigncode
    codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
    if [ "$codename" = bookworm ]; then
        lumbrix_log "installing osslsigncode from bookworm-backports"
        if ! grep -rqs '^[^#]*bookworm-backports' /etc/apt/sources.list /etc/apt/sources.list.d/; then
            echo 'deb http://deb.debian.org/debian bookworm-backports main' |
                lumbrix_as_root tee /etc/apt/sources.list.d/bookworm-backports.list >/dev/null
        fi
        package=osslsigncode/bookworm-backports
    else
        lumbrix_log "installing osslsigncode (signing a Windows 11 package needs 2.9 or later)"
    fi
    lumbrix_apt update -qq
    lumbrix_apt install -y -qq --no-install-recommends "$package" >/dev/null
}

# With LUMBRIX_ARM64_DLL set, the x64 build's tests also check that DLL.
lumbrix_build() {
    lumbrix_log "building the DLL and the test programs"
    cmake --preset mingw -B "$LUMBRIX_BUILD" ${LUMBRIX_ARM64_DLL:+-DLUMBRIX_ARM64_DLL="$LUMBRIX_ARM64_DLL"} >/dev/null
    cmake --build "$LUMBRIX_BUILD" -j "$(nproc)"
}

# lumbrix_configure_arm64 BUILD [CMAKE_OPTION...]: the mingw-arm64 preset in
# BUILD with the ARM64 toolchain; the first run on a machine builds the
# toolchain (tools/arm64-toolchain.sh, minutes) and later runs reuse it.
lumbrix_configure_arm64() {
    local build=$1 toolchain
    shift
    toolchain=$("$LUMBRIX_ROOT/tools/arm64-toolchain.sh")
    # A build folder configured with another toolchain keeps its compilers: start it afresh.
    if [ -f "$build/CMakeCache.txt" ] && [ "$(cat "$build/toolchain.txt" 2>/dev/null)" != "$toolchain" ]; then
        rm -rf "$build"
    fi
    cmake --preset mingw-arm64 -B "$build" -DLUMBRIX_ARM64_TOOLCHAIN="$toolchain" "$@" >/dev/null
    echo "$toolchain" >"$build/toolchain.txt"
}

# The ARM64 DLL in build/mingw-arm64.
lumbrix_build_arm64() {
    local build=${LUMBRIX_ARM64_BUILD:-$LUMBRIX_ROOT/build/mingw-arm64}
    lumbrix_configure_arm64 "$build"
    lumbrix_log "building the ARM64 DLL"
    cmake --build "$build" -j "$(nproc)"
    export LUMBRIX_ARM64_DLL=$build/src/Lumbrix64.dll
}

# A private Wine prefix in the build folder, Xvfb on a free display, and a
# persistent Wine server for fast program starts.
lumbrix_start_wine() {
    export WINEPREFIX=$LUMBRIX_BUILD/wine
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    if [ -z "${LUMBRIX_DISPLAY_STARTED:-}" ]; then
        # Xvfb picks a free display itself and writes its number to the file.
        local displayFile
        displayFile=$(mktemp)
        Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$displayFile" >/dev/null 2>&1 &
        LUMBRIX_XVFB_PID=$!
        for _ in $(seq 100); do [ -s "$displayFile" ] && break; sleep 0.1; done
        export DISPLAY=":$(head -n1 "$displayFile")"
        rm -f "$displayFile"
        export LUMBRIX_DISPLAY_STARTED=1
    fi
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        lumbrix_log "creating the Wine prefix $WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        wine wineboot -i >/dev/null 2>&1
        wineserver -w
    fi
    # Already running for this prefix (an earlier run, a second shell) is fine.
    wineserver -p 2>/dev/null || true
    # Xvfb runs without a window manager: unmanaged windows (which Wine frames
    # itself) close at once instead of Wine waiting for a manager that never answers.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    trap lumbrix_stop_wine EXIT
}

lumbrix_stop_wine() {
    wineserver -k >/dev/null 2>&1 || true
    [ -n "${LUMBRIX_XVFB_PID:-}" ] && kill "$LUMBRIX_XVFB_PID" >/dev/null 2>&1 || true
    unset LUMBRIX_DISPLAY_STARTED LUMBRIX_XVFB_PID
}

# lumbrix_prepare_bench TARGET: builds one benchmark program of the x64 build,
# starts Wine and prints the machine and its load, as every bench-*.sh begins.
lumbrix_prepare_bench() {
    lumbrix_ensure_packages
    lumbrix_log "building the benchmark in $LUMBRIX_BUILD"
    cmake --preset mingw -B "$LUMBRIX_BUILD" >/dev/null
    cmake --build "$LUMBRIX_BUILD" --target "$1" -j "$(nproc)" >/dev/null
    lumbrix_start_wine
    printf '%s\n' "machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) cores; $(wine --version)"
    lumbrix_log "load before the run: $(cut -d' ' -f1-3 /proc/loadavg)"
}

# The DLL as Windows programs under Wine see it.
lumbrix_dll_windows_path() {
    printf 'Z:%s' "$LUMBRIX_BUILD/src/Lumbrix64.dll" | tr / '\\'
}
