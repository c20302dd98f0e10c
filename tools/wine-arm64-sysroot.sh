#!/usr/bin/env bash
# Debian's ARM64 Wine for tools/wine-arm64.sh: wine64, libwine and every Linux
# library they need, for arm64, downloaded by apt with a configuration of its
# own (its own lists, an empty package status: the machine's apt state, dpkg
# and its x64 Wine are not touched) and unpacked with dpkg -x into a folder of
# the cache, where qemu-aarch64-static runs them. Made once, named by a key of
# this script and the suite, and reused from then on. Prints the folder, whose
# wrappers/ holds wine and wineserver (and nothing else, for PATH); logs go to
# stderr.
#
# The suite is Debian 13 (trixie) by default: Debian 12's Wine 8 for arm64 has
# its DLLs built as Linux objects, which take a va_list the Linux way, so every
# call that hands one over from an ARM64 Windows program (the C runtime's
# __stdio_common_v* behind swprintf, user32's wvsprintfW) misreads its
# arguments and crashes; Wine 10 there builds them as Windows DLLs.
set -euo pipefail

cache=${LUMBRIX_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/lumbrix64}
suite=${LUMBRIX_WINE_ARM64_SUITE:-trixie}
# Recommended by libwine; the rest of its recommendations are not needed here.
extras=(libxrender1 libxrandr2 libxi6 libxcursor1 libxfixes3 libxcomposite1 libxinerama1 libxxf86vm1 libdbus-1-3)

log() { printf '\033[1m== %s\033[0m\n' "$*" >&2; }

# apt for arm64 packages of $suite only, everything under $1.
write_apt_config() {
    local apt=$1
    mkdir -p "$apt"/etc/apt.conf.d "$apt"/etc/preferences.d "$apt"/etc/sources.list.d "$apt"/lists/partial \
        "$apt"/cache/archives/partial
    : >"$apt/status"
    local archive
    for archive in "debian $suite" "debian $suite-updates" "debian-security $suite-security"; do
        set -- $archive
        echo "deb [arch=arm64 signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/$1 $2 main"
    done >"$apt/etc/sources.list"
    cat >"$apt/apt.conf" <<EOF
Dir::Etc "$apt/etc";
Dir::State "$apt";
Dir::State::Lists "$apt/lists";
Dir::State::status "$apt/status";
Dir::Cache "$apt/cache";
APT::Architecture "arm64";
APT::Architectures { "arm64"; };
APT::Install-Recommends "false";
APT::Sandbox::User "root";
Debug::NoLocking "true";
EOF
}

# Wine starts its server and every new process by running the files beside its
# loader: both become scripts that run the real ones under qemu.
#
# -cpu cortex-a72: Wine 10's ntdll.so is marked for branch target
# identification, but its system-call entry is reached by indirect branches and
# has no landing pad; on qemu's default processor, which has BTI, the first
# system call is an illegal instruction. The Cortex-A72 has no BTI, and has the
# CRC32 and the AES, SHA-1 and SHA-2 instructions.
# -0: Wine takes the name of the program it runs later processes with from its
# own argv[0], in its own folder: the script's name.
write_wrappers() {
    local root=$1 final=$2
    local qemu="qemu-aarch64-static -cpu cortex-a72 -L $final"
    mv "$root/usr/lib/wine/wine64" "$root/usr/lib/wine/wine64.elf"
    mkdir -p "$root/wrappers"
    printf '#!/bin/sh\nexec %s -0 %s %s "$@"\n' "$qemu" "$final/usr/lib/wine/wine64" \
        "$final/usr/lib/wine/wine64.elf" >"$root/usr/lib/wine/wine64"
    # As Debian's own wrapper: no lingering unless asked for (-p).
    printf '#!/bin/sh\nexec %s %s -p0 "$@"\n' "$qemu" "$final/usr/lib/wine/wineserver64" \
        >"$root/usr/lib/wine/wineserver"
    chmod +x "$root/usr/lib/wine/wine64" "$root/usr/lib/wine/wineserver"
    ln -s "$final/usr/lib/wine/wine64" "$root/wrappers/wine"
    ln -s "$final/usr/lib/wine/wineserver" "$root/wrappers/wineserver"
}

# qemu 7.2 shows programs the host's /proc/cpuinfo, from which Wine reads the
# processor's features; -L serves this one, the emulated processor's, instead.
# crc32 comes before aes: Wine 10 found both only in that order.
write_cpuinfo() {
    mkdir -p "$1/proc"
    cat >"$1/proc/cpuinfo" <<'EOF'
processor	: 0
BogoMIPS	: 125.00
Features	: crc32 aes pmull sha1 sha2 fp asimd evtstrm cpuid
CPU implementer	: 0x41
CPU architecture: 8
CPU variant	: 0x0
CPU part	: 0xd08
CPU revision	: 3

EOF
}

command -v qemu-aarch64-static >/dev/null || {
    log "qemu-aarch64-static is missing (Debian package qemu-user-static)"
    exit 1
}
script=$(sha256sum "${BASH_SOURCE[0]}" | cut -d' ' -f1)
key=$(printf '%s\n' "$suite" "$script" | sha256sum | cut -c1-16)
dest=$cache/wine-arm64-$suite-$key

if [ ! -f "$dest/versions.txt" ]; then
    mkdir -p "$cache"
    exec 9>"$cache/wine-arm64.lock"
    flock 9
    if [ ! -f "$dest/versions.txt" ]; then
        log "unpacking Debian's ARM64 Wine ($suite) once into $dest"
        started=$(date +%s)
        work=$dest.work
        rm -rf "$work" "$dest.part" "$dest"
        mkdir -p "$dest.part"
        write_apt_config "$work"
        export APT_CONFIG=$work/apt.conf
        apt-get update -qq >&2
        apt-get install -qq -y --download-only wine64 libwine "${extras[@]}" >&2
        for deb in "$work"/cache/archives/*.deb; do dpkg -x "$deb" "$dest.part"; done
        # The packages of a merged /usr leave the top-level links to the system.
        for dir in bin sbin lib; do
            [ -e "$dest.part/$dir" ] || ln -s "usr/$dir" "$dest.part/$dir"
        done
        write_wrappers "$dest.part" "$dest"
        write_cpuinfo "$dest.part"
        {
            echo "Wine $(dpkg-deb -f "$(ls "$work"/cache/archives/libwine_*.deb)" Version) for arm64"
            echo "$(ls "$work"/cache/archives/*.deb | wc -l) packages from $suite, unpacked in $(($(date +%s) - started)) s"
        } >"$dest.part/versions.txt"
        unset APT_CONFIG
        mv "$dest.part" "$dest"
        rm -rf "$work"
        log "ARM64 Wine ready: $(paste -sd';' "$dest/versions.txt")"
    fi
fi
echo "$dest"
