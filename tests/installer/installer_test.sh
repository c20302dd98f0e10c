#!/usr/bin/env bash
# The setup package in a fresh Wine prefix that says it is Windows 11:
# per-machine install and upgrade over an older, signed package while a
# process holds the old DLL, the registration against regsvr32's, the Windows
# 11 package beside the DLL and the PowerShell commands that register and
# remove it, a copy through the installed handler, the installed-programs
# entry, silent uninstall back to the state before, the same for the current
# user without touching HKLM, a failed package registration, and the setup
# on an ARM64 machine (a build told so) over an x64-only setup's install.
# Environment: LUMBRIX_INSTALLER_WORK (scratch folder), LUMBRIX_SETUP (the
# package), LUMBRIX_VERSION, LUMBRIX_PACKAGE_DLL and LUMBRIX_MSIX (what it
# carries), LUMBRIX_PACKAGE_DLL_ARM64 and LUMBRIX_MSIX_ARM64 (empty in an
# x64-only build), LUMBRIX_PACKAGE_READER, LUMBRIX_MAKE_PACKAGE, LUMBRIX_ICON,
# LUMBRIX_SHELL_PATH, LUMBRIX_HOLD_MODULE, LUMBRIX_POWERSHELL_STAND_IN.
set -uo pipefail
source "$(dirname "$0")/wine_session.sh"

readonly CLSID='{134343DC-2495-456B-AAD3-100028AF9510}'
readonly UNINSTALL='Software\Microsoft\Windows\CurrentVersion\Uninstall'
readonly MACHINE_DIR='C:\Program Files\Lumbrix64'
readonly POWERSHELL='"C:\windows\system32\WindowsPowerShell\v1.0\powershell.exe" -NoProfile -NonInteractive -ExecutionPolicy Bypass -Command'

start_fresh_prefix
USER_DIR="$(wine cmd /c echo %LOCALAPPDATA% | tr -d '\r')\Programs\Lumbrix64"
# Every Windows has the user's classes key; a fresh Wine prefix does not.
wine reg add 'HKCU\Software\Classes' /f >/dev/null 2>&1
# Windows 11 as the setup reads it, and a powershell.exe that records its
# command line (and whether the installed DLL is still there) and ends with
# LUMBRIX_POWERSHELL_EXIT.
windows_build() { wine reg add 'HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion' /v CurrentBuildNumber /d "$1" /f >/dev/null 2>&1; }
windows_build 22631
cp "$LUMBRIX_POWERSHELL_STAND_IN" "$WINEPREFIX/drive_c/windows/system32/WindowsPowerShell/v1.0/powershell.exe"
LUMBRIX_POWERSHELL_LOG=$(windows_path "$LUMBRIX_INSTALLER_WORK/powershell.log")
export LUMBRIX_POWERSHELL_LOG
powershell_calls() { cat "$LUMBRIX_INSTALLER_WORK/powershell.log" 2>/dev/null; rm -f "$LUMBRIX_INSTALLER_WORK/powershell.log"; }
family_of() { python3 "$LUMBRIX_PACKAGE_READER" "$@" --version "${version:-$LUMBRIX_VERSION}" --arch x64; }
add_command() { # FOLDER FAMILY ARCH ["-AllUsers"] ["-AllowUnsigned"]
    echo "$POWERSHELL \"\$ErrorActionPreference = 'Stop'; Get-AppxPackage${4:+ $4} -Name Orvane.Lumbrix64 | Where-Object { \$_.PackageFamilyName -ne '$2' -or \$_.Architecture -ne '$3' } | Remove-AppxPackage${4:+ $4}; Add-AppxPackage -Path '$1\\Lumbrix64.msix' -ExternalLocation '$1' -ForceUpdateFromAnyVersion${5:+ $5}\" [probe present]"
}
remove_command() { # ["-AllUsers"]
    echo "$POWERSHELL \"\$ErrorActionPreference = 'Stop'; Get-AppxPackage${1:+ $1} -Name Orvane.Lumbrix64 | Remove-AppxPackage${1:+ $1}\" [probe present]"
}

# An older package whose DLL says 0.0.0.1 in its version record, so that the
# two DLLs differ, signed with a throwaway certificate.
old=$LUMBRIX_INSTALLER_WORK/old
mkdir -p "$old"
python3 - "$LUMBRIX_PACKAGE_DLL" "$old/input.dll" <<'EOF'
import struct, sys
data = bytearray(open(sys.argv[1], "rb").read())
at = data.index(struct.pack("<I", 0xFEEF04BD))  # VS_FIXEDFILEINFO
data[at + 8:at + 24] = struct.pack("<4I", 0, 1, 0, 1)  # file and product version 0.0.0.1
open(sys.argv[2], "wb").write(data)
EOF
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Orvane" -addext extendedKeyUsage=codeSigning \
    -keyout "$old/key.pem" -out "$old/cert.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$old/key.pem" -in "$old/cert.pem" -out "$old/sign.pfx" -passout pass:
LUMBRIX_SIGN_PFX=$old/sign.pfx "$LUMBRIX_MAKE_PACKAGE" "$old/input.dll" "$LUMBRIX_ICON" 0.0.0.1 "$old" >/dev/null
old_family=$(version=0.0.0.1 family_of "$old/Lumbrix64-0.0.0.1-x64.msix" --publisher CN=Orvane)
new_family=$(family_of "$LUMBRIX_MSIX" --unsigned)

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
export LUMBRIX_POWERSHELL_PROBE="$MACHINE_DIR\Lumbrix64.dll"

echo "== all users: install $(basename "$old"/*-setup.exe), then upgrade while the old DLL is loaded"
check "older package installs silently for all users" \
    equal "$(run_windows "$(windows_path "$old/Lumbrix64-0.0.0.1-setup.exe") /S /ALLUSERS")" 0
check "its signed Windows 11 package is registered for all users, without -AllowUnsigned" \
    equal "$(powershell_calls)" "$(add_command "$MACHINE_DIR" "$old_family" x64 -AllUsers)"
check "a process holds the old DLL" hold_installed_dll
check "upgrade without a switch (administrator: all users) ends with 3010, restart needed" \
    equal "$(run_windows "$(windows_path "$LUMBRIX_SETUP") /S")" 3010
check "the installed DLL is the new one" cmp -s "$machine_dir_unix/Lumbrix64.dll" "$LUMBRIX_PACKAGE_DLL"
check "the Windows 11 package beside it is the new one" cmp -s "$machine_dir_unix/Lumbrix64.msix" "$LUMBRIX_MSIX"
check "the unsigned package replaces the signed one's family, with -AllowUnsigned" \
    equal "$(powershell_calls)" "$(add_command "$MACHINE_DIR" "$new_family" x64 -AllUsers -AllowUnsigned)"
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

echo "== a copy through the installed handler, on Windows 11 with no package registered for this user"
mkdir -p "$LUMBRIX_INSTALLER_WORK/sample"
: >"$LUMBRIX_INSTALLER_WORK/sample/名前.txt"
copied=$(wine "$LUMBRIX_SHELL_PATH" --options none --command 5 --print-clipboard \
    "$(windows_path "$LUMBRIX_INSTALLER_WORK/sample/名前.txt")" 2>&1 | tr -d '\r')
check "lumbrix-shell copies the name through the installed DLL" equal "$copied" "名前.txt"

echo "== the registration equals what DllRegisterServer writes, and names the package family"
check "the class names the family the package reader finds" \
    equal "$(value_of "HKLM\\Software\\Classes\\CLSID\\$CLSID" PackageFamilyName)" "$new_family"
installed_registration=$(registration HKLM | grep -v '^"PackageFamilyName"=')
check "the handler key name is the Japanese display name" \
    grep -qF '\shellex\ContextMenuHandlers\クリップボードにファイル名をコピーx64]' <<<"$installed_registration"
wine regsvr32 /s /u "$MACHINE_DIR\\Lumbrix64.dll"
check "regsvr32 /u removes it all" eval '! registration HKLM | grep -q "$CLSID"'
wine regsvr32 /s "$MACHINE_DIR\\Lumbrix64.dll"
check "regsvr32 writes the same keys and values" equal "$(registration HKLM)" "$installed_registration"

echo "== silent uninstall"
check "QuietUninstallString ends with 0" equal "$(run_windows "$quiet")" 0
check "the package is removed for all users before the DLL goes" equal "$(powershell_calls)" "$(remove_command -AllUsers)"
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
export LUMBRIX_POWERSHELL_PROBE="$USER_DIR\Lumbrix64.dll"
check "install with /CURRENTUSER ends with 0" \
    equal "$(run_windows "$(windows_path "$LUMBRIX_SETUP") /S /CURRENTUSER")" 0
check "an unsigned package is not registered for one user" equal "$(powershell_calls)" ""
expected=${installed_registration//HKEY_LOCAL_MACHINE/HKEY_CURRENT_USER}
expected=${expected//"${MACHINE_DIR//\\/\\\\}"/"${USER_DIR//\\/\\\\}"} # .reg text doubles backslashes
check "the registration under HKCU\\Software\\Classes is the machine's, with the user's path" \
    equal "$(registration HKCU | grep -v '^"PackageFamilyName"=')" "$expected"
key="HKCU\\$UNINSTALL\\Lumbrix64"
check "the entry is the user's" equal "$(value_of "$key" InstallLocation)" "$USER_DIR"
check "HKLM is untouched" eval \
    '[ "$(registry_snapshot HKLM)" = "$machine_before" ] && [ "$(export_key "HKLM\System\CurrentControlSet\Control\Session Manager")" = "$pending_before" ]'
check "the user's QuietUninstallString ends with 0" equal "$(run_windows "$(value_of "$key" QuietUninstallString)")" 0
check "the user's package, if any, is removed" equal "$(powershell_calls)" "$(remove_command)"
check "the folder goes" gone_within_10s "$(wine winepath -u "$USER_DIR" | tr -d '\r')"
check "HKCU\\Software is as before" equal "$(registry_snapshot HKCU)" "$user_before"
check "HKLM is still untouched" equal "$(registry_snapshot HKLM)" "$machine_before"
check "no file or folder is left" equal "$(files_snapshot)" "$files_before"

echo "== switches"
check "/ALLUSERS with /CURRENTUSER ends with 87 and installs nothing" eval \
    '[ "$(run_windows "$(windows_path "$LUMBRIX_SETUP") /S /ALLUSERS /CURRENTUSER")" = 87 ] && [ "$(files_snapshot)" = "$files_before" ]'

echo "== a failed package registration, then uninstall on Windows 10 while a process holds the DLL"
export LUMBRIX_POWERSHELL_PROBE="$MACHINE_DIR\Lumbrix64.dll"
check "install for all users again, PowerShell failing: still 0" \
    equal "$(LUMBRIX_POWERSHELL_EXIT=1 run_windows "$(windows_path "$LUMBRIX_SETUP") /S /ALLUSERS")" 0
check "it was asked to register" equal "$(powershell_calls)" "$(add_command "$MACHINE_DIR" "$new_family" x64 -AllUsers -AllowUnsigned)"
check "the classic handler stays hooked" equal "$(registration HKLM | grep -v '^"PackageFamilyName"=')" "$installed_registration"
windows_build 19045
check "a process holds the DLL" hold_installed_dll
check "the uninstaller ends with 3010, restart needed" \
    equal "$(run_windows "$(value_of "HKLM\\$UNINSTALL\\Lumbrix64" QuietUninstallString)")" 3010
check "the registration and the entry are gone" eval \
    '! registration HKLM | grep -q "$CLSID" && [ -z "$(export_key "HKLM\\$UNINSTALL\\Lumbrix64")" ]'
check "the DLL is queued for deletion at restart" eval \
    'value_of "HKLM\System\CurrentControlSet\Control\Session Manager" PendingFileRenameOperations | grep -qF "$MACHINE_DIR\Lumbrix64.dll\0"'
check "Windows 10: no PowerShell" equal "$(powershell_calls)" ""
release_installed_dll

echo "== ARM64: the setup, built to take the machine for ARM64, over an x64-only setup's install whose DLL is held"
if [ -n "${LUMBRIX_MSIX_ARM64:-}" ]; then
    windows_build 22631
    arm64=$LUMBRIX_INSTALLER_WORK/arm64
    "$LUMBRIX_MAKE_PACKAGE" "$LUMBRIX_PACKAGE_DLL" "$LUMBRIX_ICON" "$LUMBRIX_VERSION" "$arm64" \
        "$LUMBRIX_PACKAGE_DLL_ARM64" -DTEST_NATIVE_MACHINE=arm64 >/dev/null
    machine_of() { python3 -c 'import struct, sys; d = open(sys.argv[1], "rb").read()
print(hex(struct.unpack_from("<H", d, struct.unpack_from("<I", d, 60)[0] + 4)[0]))' "$1"; }
    machine_before=$(registry_snapshot HKLM)
    check "the x64-only setup installs its x64 DLL" eval \
        '[ "$(run_windows "$(windows_path "$old/Lumbrix64-0.0.0.1-setup.exe") /S /ALLUSERS")" = 0 ] && [ "$(machine_of "$machine_dir_unix/Lumbrix64.dll")" = 0x8664 ]'
    powershell_calls >/dev/null
    check "a process holds that DLL" hold_installed_dll
    check "the upgrade ends with 3010" \
        equal "$(run_windows "$(windows_path "$arm64/Lumbrix64-$LUMBRIX_VERSION-setup.exe") /S /ALLUSERS")" 3010
    check "Lumbrix64.dll is the ARM64 build (machine 0xaa64), the held x64 one is moved aside" eval \
        'cmp -s "$machine_dir_unix/Lumbrix64.dll" "$arm64/arm64/Lumbrix64.dll" && [ "$(machine_of "$machine_dir_unix/Lumbrix64.dll")" = 0xaa64 ] && [ "$(machine_of "$machine_dir_unix/Lumbrix64-old-1.dll")" = 0x8664 ]'
    check "Lumbrix64.msix beside it is the arm64 package" eval \
        'cmp -s "$machine_dir_unix/Lumbrix64.msix" "$arm64/Lumbrix64-$LUMBRIX_VERSION-arm64.msix" && python3 "$LUMBRIX_PACKAGE_READER" "$machine_dir_unix/Lumbrix64.msix" --version "$LUMBRIX_VERSION" --arch arm64 --unsigned >/dev/null'
    check "PowerShell replaces any package that is not the arm64 one of this family" \
        equal "$(powershell_calls)" "$(add_command "$MACHINE_DIR" "$new_family" arm64 -AllUsers -AllowUnsigned)"
    check "the registration is the same as on x64" \
        equal "$(registration HKLM | grep -v '^"PackageFamilyName"=')" "$installed_registration"
    release_installed_dll
    check "uninstall ends with 0 and the folder goes" eval \
        '[ "$(run_windows "$(value_of "HKLM\\$UNINSTALL\\Lumbrix64" QuietUninstallString)")" = 0 ] && gone_within_10s "$machine_dir_unix"'
    check "HKLM\\Software is as before" equal "$(registry_snapshot HKLM)" "$machine_before"
else
    echo "skipped: this build has no ARM64 DLL"
fi

echo "$failures failure(s)"
[ "$failures" -eq 0 ]
