# Sourced by the installer tests: a fresh Wine prefix of their own, a way to
# run a raw Windows command line and read its full exit code, registry and
# file snapshots, and check helpers that count failures.

: "${LUMBRIX_INSTALLER_WORK:?}"
export WINEPREFIX=$LUMBRIX_INSTALLER_WORK/wine
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# Non-ASCII command-line arguments reach Wine programs only under a locale that exists.
export LC_ALL=C.UTF-8

failures=0
check() { # check DESCRIPTION COMMAND...
    if "${@:2}"; then echo "ok   $1"; else echo "FAIL $1"; failures=$((failures + 1)); fi
}
equal() { [ "$1" = "$2" ] || { diff <(echo "$2") <(echo "$1") | head -n 20 | sed 's/^/  /'; return 1; }; }

start_fresh_prefix() {
    rm -rf "$LUMBRIX_INSTALLER_WORK"
    mkdir -p "$WINEPREFIX"
    wine wineboot -i >/dev/null 2>&1
    wineserver -w
    wineserver -p
    trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
}

windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }

# Runs a command line exactly as written (unquoted _?= included), as the
# installed-programs panel does, and prints the exit code; wine's own status
# keeps only the low byte (3010 would read 194).
# Now and then Wine's cmd ends before it runs the line and prints
# nothing: that one try is shown and made again.
run_windows() {
    local batch=$LUMBRIX_INSTALLER_WORK/run.cmd errors=$LUMBRIX_INSTALLER_WORK/run.err exit attempt
    printf '@%s\r\n@echo exit=%%ERRORLEVEL%%\r\n' "$1" >"$batch"
    for attempt in 1 2; do
        exit=$(wine cmd /c "$(windows_path "$batch")" 2>"$errors" | tr -d '\r' | sed -n 's/^exit=//p')
        [ -z "$exit" ] || break
        echo "  (cmd printed no exit code, try $attempt; its errors:)" >&2
        sed 's/^/  /' "$errors" | tail -5 >&2
    done
    printf '%s\n' "$exit"
}

# A key and its subkeys as .reg text (UTF-8, LF); nothing when it is absent.
export_key() {
    local file=$LUMBRIX_INSTALLER_WORK/export.reg attempts=0
    rm -f "$file"
    # A wine process now and then fails to start on a loaded machine: an
    # export that fails is tried again while the key is there.
    until wine reg export "$1" "$file" /y >/dev/null 2>&1; do
        wine reg query "$1" >/dev/null 2>&1 && [ "$((++attempts))" -lt 3 ] || return 0
    done
    iconv -f UTF-16LE -t UTF-8 "$file" | tr -d '\r' | sed '1s/^\xEF\xBB\xBF//'
}

value_of() { # value_of KEY NAME
    wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}

# HKLM\Software or HKCU\Software without the sections Wine rewrites by itself
# (its own settings, the network cards).
registry_snapshot() {
    export_key "$1\\Software" | awk 'BEGIN { RS = ""; ORS = "\n\n" }
        !/^\[[^]\n]*\\NetworkCards/ && !/^\[HKEY_[A-Z_]*\\Software\\Wine[]\\]/'
}

# Without the TEMP folders, the user's and the system's.
files_snapshot() {
    (cd "$WINEPREFIX/drive_c" && find . -ipath '*/temp' -prune -o -print | sort)
}
