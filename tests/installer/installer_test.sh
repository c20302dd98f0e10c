#!/usr/bin/env bash
# The setup package in a fresh Wine prefix: per-machine install and upgrade
# over an older package while a process holds the old DLL, the registration
# against regsvr32's, a copy through the installed handler, the installed-
# programs entry, silent uninstall back to the state before, and the same
# for the current user without touching HKLM.
# Environment: LUMBRIX_INSTALLER_WORK (scratch folder), LUMBRIX_SETUP (the
# package), LUMBRIX_VERSION, LUMBRIX_PACKAGE_DLL (the DLL it carries),
# LUMBRIX_MAKE_PACKAGE, LUMBRIX_ICON, LUMBRIX_SHELL_PATH, LUMBRIX_HOLD_MODULE.
set -uo pipefail
source "$(dirname "$0")/wine_session.sh"

readonly CLSID='{134343DC-2495-456B-AAD3-100028AF9510}'
readonly UNINSTALL='Software\Microsoft\Windows\CurrentVersion\Uninstall'
readonly MACHINE_DIR='C:\Program Files\Lumbrix64'

start_fresh_prefix
USER_DIR="$(wine cmd /c echo %LOCALAPPDATA% | tr -d '\r')\Programs\Lumbrix64"
# Every Windows has the user's classes key; a fresh Wine prefix does not.
wine reg add 'HKCU\Software\Classes' /f >/dev/null 2>&1

# An older package whose DLL says 0.0.0.1 in its version record, so that the
# two DLLs differ.
old=$LUMBRIX_INSTALLER_WORK/old
mkdir -p "$old"
python3 - "$LUMBRIX_PACKAGE_DLL" "$old/input.dll" <<'EOF'
import struct, sys
data = bytearray(open(sys.argv[1], "rb").read())
at = data.index(struct.pack("<I", 0xFEEF04BD))  # VS_FIXEDFILEINFO
data[at + 8:at + 24] = struct.pack("<4I", 0, 1, 0, 1)  # file and product version 0.0.0.1
open(sys.argv[2], "wb").write(data)
EOF
"$LUMBRIX_MAKE_PACKAGE" "$old/input.dll" "$LUMBRIX_ICON" 0.0.0.1 "$old" >/dev/null

registration() { # the three keys DllRegisterServer writes, under HKLM or HKCU
    export_key "$1\\Software\\Classes\\CLSID\\$CLSID"
    export_key "$1\\Software\\Classes\\*\\shellex\\ContextMenuHandlers"
    export_key "$1\\Software\\Classes\\Folder\\shellex\\ContextMenuHandlers"
}
entries_named_lumbrix() { export_key "$1\\$UNINSTALL" | grep -c '^"DisplayName"="Lumbrix64"$'; }
gone_within_10s() { for _ in $(seq 50); do [ -e "$1" ] || return 0; sleep 0.2; done; return 1; }
without_options() { awk 'BEGIN { RS = ""; ORS = "\n\n" } !/^\[HKEY_CURRENT_USER\\Software\\Orvane/'; }

# A process that keeps the installed DLL loaded, as Explorer does.
hold_installed_dll() {
    local out=$LUMBRIX_INSTALLER_WORK/hold.out
    rm -f "$LUMBRIX_INSTALLER_WORK/release"
    wine "$LUMBRIX_HOLD_MODULE" "$MACHINE_DIR\\Lumbrix64.dll" "$(windows_path "$LUMBRIX_INSTALLER_WORK/release")" >"$out" 2>&1 &
    holder=$!
    for _ in $(seq 50); do grep -qs loaded "$out" && return 0; sleep 0.1; done
    return 1
}
release_installed_dll() { touch "$LUMBRIX_INSTALLER_WORK/release"; wait "$holder"; }

machine_before=$(registry_snapshot HKLM)
user_before=$(registry_snapshot HKCU)
files_before=$(files_snapshot)
machine_dir_unix=$WINEPREFIX/drive_c/Program\ Files/Lumbrix64

echo "== all users: install $(basename "$old"/*-setup.exe), then upgrade while the old DLL is loaded"
check "older package installs silently for all users" \
    equal "$(run_windows "$(windows_path "$old/Lumbrix64-0.0.0.1-setup.exe") /S /ALLUSERS")" 0
check "a process holds the old DLL" hold_installed_dll
check "upgrade without a switch (administrator: all users) ends with 3010, restart needed" \
    equal "$(run_windows "$(windows_path "$LUMBRIX_SETUP") /S")" 3010
check "the installed DLL is the new one" cmp -s "$machine_dir_unix/Lumbrix64.dll" "$LUMBRIX_PACKAGE_DLL"
check "the old DLL is moved aside and queued for deletion at restart" eval \
    '[ -e "$machine_dir_unix/Lumbrix64-old-1.dll" ] && value_of "HKLM\System\CurrentControlSet\Control\Session Manager" PendingFileRenameOperations | grep -qF "$MACHINE_DIR\\Lumbrix64-old-1.dll"'
release_installed_dll
check "one installed-programs entry" equal "$(entries_named_lumbrix HKLM)" 1

key="HKLM\\$UNINSTALL\\Lumbrix64"
echo "== the installed-programs entry"
check "DisplayName" equal "$(value_of "$key" DisplayName)" Lumbrix64
check "Publisher" equal "$(value_of "$key" Publisher)" Orvane
check "DisplayVersion is the project version" equal "$(value_of "$key" DisplayVersion)" "$LUMBRIX_VERSION"
check "DisplayIcon is the DLL's icon" equal "$(value_of "$key" DisplayIcon)" "$MACHINE_DIR\\Lumbrix64.dll,0"
check "InstallLocation" equal "$(value_of "$key" InstallLocation)" "$MACHINE_DIR"
size_kib=$(( $(value_of "$key" EstimatedSize) ))
dll_kib=$(( $(stat -c %s "$LUMBRIX_PACKAGE_DLL") / 1024 ))
check "EstimatedSize counts the DLL and the uninstaller, not the old DLL ($size_kib KiB)" \
    eval '[ "$size_kib" -ge "$dll_kib" ] && [ "$size_kib" -lt $((dll_kib * 3 / 2)) ]'
check "UninstallString" equal "$(value_of "$key" UninstallString)" "\"$MACHINE_DIR\\uninstall.exe\" _?=$MACHINE_DIR"
quiet=$(value_of "$key" QuietUninstallString)
check "QuietUninstallString" equal "$quiet" "\"$MACHINE_DIR\\uninstall.exe\" /S _?=$MACHINE_DIR"

echo "== the registration equals what DllRegisterServer writes"
installed_registration=$(registration HKLM)
check "the handler key name is the Japanese display name" \
    grep -qF '\shellex\ContextMenuHandlers\クリップボードにファイル名をコピーx64]' <<<"$installed_registration"
wine regsvr32 /s /u "$MACHINE_DIR\\Lumbrix64.dll"
check "regsvr32 /u removes it all" eval '! registration HKLM | grep -q "$CLSID"'
wine regsvr32 /s "$MACHINE_DIR\\Lumbrix64.dll"
check "regsvr32 writes the same keys and values" equal "$(registration HKLM)" "$installed_registration"

echo "== a copy through the installed handler"
mkdir -p "$LUMBRIX_INSTALLER_WORK/sample"
: >"$LUMBRIX_INSTALLER_WORK/sample/名前.txt"
copied=$(wine "$LUMBRIX_SHELL_PATH" --options none --command 5 --print-clipboard \
    "$(windows_path "$LUMBRIX_INSTALLER_WORK/sample/名前.txt")" 2>&1 | tr -d '\r')
check "lumbrix-shell copies the name through the installed DLL" equal "$copied" "名前.txt"

echo "== silent uninstall"
check "QuietUninstallString ends with 0" equal "$(run_windows "$quiet")" 0
check "the folder goes" gone_within_10s "$machine_dir_unix"
check "HKLM\\Software is as before the install" equal "$(registry_snapshot HKLM)" "$machine_before"
check "HKCU\\Software is as before, apart from the options" \
    equal "$(registry_snapshot HKCU | without_options)" "$user_before"
check "the options under HKCU\\Software\\Orvane\\Lumbrix64 stay" eval \
    'export_key "HKCU\Software\Orvane\Lumbrix64" | grep -q OutputDirectory'
check "no file or folder is left" equal "$(files_snapshot)" "$files_before"

echo "== current user"
machine_before=$(registry_snapshot HKLM)
user_before=$(registry_snapshot HKCU)
pending_before=$(export_key 'HKLM\System\CurrentControlSet\Control\Session Manager')
check "install with /CURRENTUSER ends with 0" \
    equal "$(run_windows "$(windows_path "$LUMBRIX_SETUP") /S /CURRENTUSER")" 0
expected=${installed_registration//HKEY_LOCAL_MACHINE/HKEY_CURRENT_USER}
expected=${expected//"${MACHINE_DIR//\\/\\\\}"/"${USER_DIR//\\/\\\\}"} # .reg text doubles backslashes
check "the registration under HKCU\\Software\\Classes is the machine's, with the user's path" \
    equal "$(registration HKCU)" "$expected"
key="HKCU\\$UNINSTALL\\Lumbrix64"
check "the entry is the user's" equal "$(value_of "$key" InstallLocation)" "$USER_DIR"
check "HKLM is untouched" eval \
    '[ "$(registry_snapshot HKLM)" = "$machine_before" ] && [ "$(export_key "HKLM\System\CurrentControlSet\Control\Session Manager")" = "$pending_before" ]'
check "the user's QuietUninstallString ends with 0" equal "$(run_windows "$(value_of "$key" QuietUninstallString)")" 0
check "the folder goes" gone_within_10s "$(wine winepath -u "$USER_DIR" | tr -d '\r')"
check "HKCU\\Software is as before" equal "$(registry_snapshot HKCU)" "$user_before"
check "HKLM is still untouched" equal "$(registry_snapshot HKLM)" "$machine_before"
check "no file or folder is left" equal "$(files_snapshot)" "$files_before"

echo "== switches"
check "/ALLUSERS with /CURRENTUSER ends with 87 and installs nothing" eval \
    '[ "$(run_windows "$(windows_path "$LUMBRIX_SETUP") /S /ALLUSERS /CURRENTUSER")" = 87 ] && [ "$(files_snapshot)" = "$files_before" ]'

echo "== uninstall while a process holds the DLL"
check "install for all users again" equal "$(run_windows "$(windows_path "$LUMBRIX_SETUP") /S /ALLUSERS")" 0
check "a process holds the DLL" hold_installed_dll
check "the uninstaller ends with 3010, restart needed" \
    equal "$(run_windows "$(value_of "HKLM\\$UNINSTALL\\Lumbrix64" QuietUninstallString)")" 3010
check "the registration and the entry are gone" eval \
    '! registration HKLM | grep -q "$CLSID" && [ -z "$(export_key "HKLM\\$UNINSTALL\\Lumbrix64")" ]'
check "the DLL is queued for deletion at restart" eval \
    'value_of "HKLM\System\CurrentControlSet\Control\Session Manager" PendingFileRenameOperations | grep -qF "$MACHINE_DIR\Lumbrix64.dll\0"'
release_installed_dll

echo "$failures failure(s)"
[ "$failures" -eq 0 ]
