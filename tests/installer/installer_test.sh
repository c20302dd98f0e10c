#!/usr/bin/env bash
# The setup package in a fresh Wine prefix that says it is Windows 11:
# per-machine install and upgrade over an older, signed package while a
# process holds the old DLL, the registration against regsvr32's, the Windows
# 11 package beside the DLL and the PowerShell commands that register and
# remove it, a copy through the installed handler, the installed-programs
# entry, silent uninstall back to the state before, the same for the current
# user without touching HKLM, install folders with quotes of every kind
# (handed to PowerShell as data) and their permissions (icacls), an
# uninstaller whose window stays open, a failed package registration, and
# the setup on an ARM64 machine (a build told so) over an x64-only setup's install,
# and the setup's and the uninstaller's language, Japanese or English, which
# follows the display language (under Wine: the locale the program starts in).
# Environment: LUMBRIX_INSTALLER_WORK (scratch folder), LUMBRIX_SETUP (the
# package), LUMBRIX_VERSION, LUMBRIX_PACKAGE_DLL and LUMBRIX_MSIX (what it
# carries), LUMBRIX_PACKAGE_DLL_ARM64 and LUMBRIX_MSIX_ARM64 (empty in an
# x64-only build), LUMBRIX_PACKAGE_READER, LUMBRIX_MAKE_PACKAGE, LUMBRIX_ICON,
# LUMBRIX_SHELL_PATH, LUMBRIX_HOLD_MODULE, LUMBRIX_STAND_IN, LUMBRIX_PRESS_BUTTON.
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
# Windows 11 as the setup reads it, and a powershell.exe and an icacls.exe
# (Wine's own is a stub that does nothing) that record their command lines
# (with the install folder handed over in the environment, and whether the
# installed DLL is there) and end with LUMBRIX_POWERSHELL_EXIT or LUMBRIX_ICACLS_EXIT.
windows_build() { wine reg add 'HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion' /v CurrentBuildNumber /d "$1" /f >/dev/null 2>&1; }
windows_build 22631
cp "$LUMBRIX_STAND_IN" "$WINEPREFIX/drive_c/windows/system32/WindowsPowerShell/v1.0/powershell.exe"
cp "$LUMBRIX_STAND_IN" "$WINEPREFIX/drive_c/windows/system32/icacls.exe"
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;icacls.exe=n" LUMBRIX_STAND_IN_SHOWS=LUMBRIX64_INSTALL_DIR
LUMBRIX_STAND_IN_LOGS=$(windows_path "$LUMBRIX_INSTALLER_WORK")
export LUMBRIX_STAND_IN_LOGS
calls_of() { cat "$LUMBRIX_INSTALLER_WORK/$1.log" 2>/dev/null; rm -f "$LUMBRIX_INSTALLER_WORK/$1.log"; }
powershell_calls() { calls_of powershell; }
family_of() { python3 "$LUMBRIX_PACKAGE_READER" "$@" --version "${version:-$LUMBRIX_VERSION}" --arch x64; }
add_command() { # FOLDER FAMILY ARCH ["-AllUsers"] ["-AllowUnsigned"]: the folder is data, not script text
    echo "$POWERSHELL \"\$ErrorActionPreference = 'Stop'; Get-AppxPackage${4:+ $4} -Name Orvane.Lumbrix64 | Where-Object { \$_.PackageFamilyName -ne '$2' -or \$_.Architecture -ne '$3' } | Remove-AppxPackage${4:+ $4}; Add-AppxPackage -Path (\$env:LUMBRIX64_INSTALL_DIR + '\\Lumbrix64.msix') -ExternalLocation \$env:LUMBRIX64_INSTALL_DIR -ForceUpdateFromAnyVersion${5:+ $5}\" [LUMBRIX64_INSTALL_DIR=$1] [probe present]"
}
protect_commands() { # FOLDER PROBE: owner, no entries of its own or from the parent, then the grants
    local icacls='"C:\windows\system32\icacls.exe"'
    printf '%s "%s" %s [probe %s]\n' "$icacls" "$1" '/setowner *S-1-5-32-544' "$2" "$icacls" "$1" /reset "$2" \
        "$icacls" "$1" '/inheritance:r /grant:r *S-1-5-32-544:(OI)(CI)F *S-1-5-18:(OI)(CI)F *S-1-5-32-545:(OI)(CI)RX' "$2"
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
unix_of() { local rest=${1#C:\\}; printf '%s/drive_c/%s' "$WINEPREFIX" "${rest//\\//}"; }
# PROGRAM ARGUMENTS: Wine quotes only arguments with spaces, so ARGUMENTS split
# at its spaces reach PROGRAM as written (an unquoted /D= or _?= included).
# Prints the exit code (its low byte).
run_split() { local IFS=' ' status; set -f; wine "$1" $2 >/dev/null 2>&1; status=$?; set +f; echo "$status"; }
# The elevated uninstaller's cleanup copy ran from a new folder under the
# system's TEMP, and that copy goes at the next restart.
cleanup_copy_queued() {
    value_of 'HKLM\System\CurrentControlSet\Control\Session Manager' PendingFileRenameOperations |
        grep -qE '\\windows\\temp\\Lumbrix64-\{[-0-9A-F]+\}\\Lumbrix64-uninstall\.exe'
}

# NAME LANGUAGE: a text of the setup's as texts.nsh writes it (LANGUAGE: ENGLISH or JAPANESE).
text_of() {
    sed -n "s/^LangString $1 \${LANG_$2} \"\(.*\)\"\$/\1/p" "$(dirname "$0")/../../packaging/installer/texts.nsh"
}
# LOCALE TITLE IMAGE COMMAND: runs COMMAND, not silent, with the display
# language of LOCALE; prints the message of the box titled TITLE that it
# shows, presses OK, and prints "exit N" as COMMAND ends. A box with another
# title is ended by ending the program IMAGE.
message_under() {
    (LC_ALL=$1 run_windows "$4" >"$LUMBRIX_INSTALLER_WORK/message.exit") &
    local runner=$!
    wine "$LUMBRIX_PRESS_BUTTON" "$2" OK print || wine taskkill /f /im "$3" >/dev/null 2>&1
    wait "$runner"
    echo; echo "exit $(cat "$LUMBRIX_INSTALLER_WORK/message.exit")"
}

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
export LUMBRIX_PROBE="$MACHINE_DIR\Lumbrix64.dll"

echo "== all users: install $(basename "$old"/*-setup.exe), then upgrade while the old DLL is loaded"
check "older package installs silently for all users" \
    equal "$(run_windows "$(windows_path "$old/Lumbrix64-0.0.0.1-setup.exe") /S /ALLUSERS")" 0
check "its signed Windows 11 package is registered for all users, without -AllowUnsigned" \
    equal "$(powershell_calls)" "$(add_command "$MACHINE_DIR" "$old_family" x64 -AllUsers)"
check "the folder gets the permissions of Program Files before the DLL is written" \
    equal "$(calls_of icacls)" "$(protect_commands "$MACHINE_DIR" absent)"
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
check "Comments, in the installing user's language (English)" equal "$(value_of "$key" Comments)" "$(text_of AppsComment ENGLISH)"
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

echo "== the Windows 11 package's application, started, removes nothing"
app=$(python3 -c 'import re, sys, zipfile
application = re.search(r"<Application [^>]*", zipfile.ZipFile(sys.argv[1]).read("AppxManifest.xml").decode()).group(0)
print(*(re.search(name + r"=\"([^\"]*)", application).group(1) for name in ("Executable", "uap10:Parameters")))' \
    "$machine_dir_unix/Lumbrix64.msix")
check "its program and parameters ($app), silent, end with 0" \
    equal "$(run_windows "\"$MACHINE_DIR\\${app%% *}\" ${app#* } /S _?=$MACHINE_DIR")" 0
check "not silent, with a Japanese display language, it says what it is in Japanese, and ends with 0" equal \
    "$(message_under ja_JP.UTF-8 "Lumbrix64 アンインストール" uninstall.exe "\"$MACHINE_DIR\\${app%% *}\" ${app#* } _?=$MACHINE_DIR")" \
    "$(text_of un.About JAPANESE)"$'\n'"exit 0"
check "the DLL, the uninstaller and the registration stay" eval \
    '[ -e "$machine_dir_unix/Lumbrix64.dll" ] && [ -e "$machine_dir_unix/uninstall.exe" ] && registration HKLM | grep -F "$CLSID" >/dev/null'

echo "== silent uninstall"
check "QuietUninstallString ends with 0" equal "$(run_windows "$quiet")" 0
check "the package is removed for all users before the DLL goes" equal "$(powershell_calls)" "$(remove_command -AllUsers)"
check "the folder goes" gone_within_10s "$machine_dir_unix"
check "the cleanup copy ran from a new folder under the system's TEMP and goes at restart" cleanup_copy_queued
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
export LUMBRIX_PROBE="$USER_DIR\Lumbrix64.dll"
check "install with /CURRENTUSER, silent, with a Japanese display language, ends with 0" \
    equal "$(LC_ALL=ja_JP.UTF-8 run_windows "$(windows_path "$LUMBRIX_SETUP") /S /CURRENTUSER")" 0
check "an unsigned package is not registered for one user" equal "$(powershell_calls)" ""
expected=${installed_registration//HKEY_LOCAL_MACHINE/HKEY_CURRENT_USER}
expected=${expected//"${MACHINE_DIR//\\/\\\\}"/"${USER_DIR//\\/\\\\}"} # .reg text doubles backslashes
check "the registration under HKCU\\Software\\Classes is the machine's, with the user's path" \
    equal "$(registration HKCU | grep -v '^"PackageFamilyName"=')" "$expected"
key="HKCU\\$UNINSTALL\\Lumbrix64"
check "the entry is the user's" equal "$(value_of "$key" InstallLocation)" "$USER_DIR"
check "its comment is in Japanese" eval 'export_key "$key" | grep -qxF "\"Comments\"=\"$(text_of AppsComment JAPANESE)\""'
check "HKLM is untouched" eval \
    '[ "$(registry_snapshot HKLM)" = "$machine_before" ] && [ "$(export_key "HKLM\System\CurrentControlSet\Control\Session Manager")" = "$pending_before" ]'
check "the user's QuietUninstallString ends with 0" equal "$(run_windows "$(value_of "$key" QuietUninstallString)")" 0
check "the user's package, if any, is removed" equal "$(powershell_calls)" "$(remove_command)"
check "the folder goes" gone_within_10s "$(wine winepath -u "$USER_DIR" | tr -d '\r')"
check "HKCU\\Software is as before" equal "$(registry_snapshot HKCU)" "$user_before"
check "HKLM is still untouched" equal "$(registry_snapshot HKLM)" "$machine_before"
check "no file or folder is left" equal "$(files_snapshot)" "$files_before"

echo "== switches, and folders refused for all users"
check "/ALLUSERS with /CURRENTUSER ends with 87 and installs nothing" eval \
    '[ "$(run_windows "$(windows_path "$LUMBRIX_SETUP") /S /ALLUSERS /CURRENTUSER")" = 87 ] && [ "$(files_snapshot)" = "$files_before" ]'
setup_image=$(basename "$LUMBRIX_SETUP")
for locale in ja_JP.UTF-8 en_US.UTF-8 de_DE.UTF-8; do
    case $locale in
        ja_*) title="Lumbrix64 セットアップ" language=JAPANESE ;;
        *) title="Lumbrix64 Setup" language=ENGLISH ;; # English for every language but Japanese
    esac
    check "not silent, with the display language of $locale: the box says the texts.nsh text in $language, byte for byte; 87" \
        equal "$(message_under $locale "$title" "$setup_image" "$(windows_path "$LUMBRIX_SETUP") /ALLUSERS /CURRENTUSER")" \
        "$(text_of BadSwitches $language)"$'\n'"exit 87"
done
calls_of icacls >/dev/null
mkdir -p "$WINEPREFIX/drive_c/T/Shared" && echo notes >"$WINEPREFIX/drive_c/T/Shared/notes.txt"
check "a folder that holds other files is refused with 2, left as it was" eval \
    '[ "$(run_windows "$(windows_path "$LUMBRIX_SETUP") /S /ALLUSERS /D=C:\T\Shared")" = 2 ] && [ "$(ls "$WINEPREFIX/drive_c/T/Shared")" = notes.txt ] && [ -z "$(calls_of icacls)" ]'
check "a folder whose permissions cannot be set is refused with 2, and removed" eval \
    '[ "$(LUMBRIX_ICACLS_EXIT=5 run_windows "$(windows_path "$LUMBRIX_SETUP") /S /ALLUSERS /D=C:\T\New")" = 2 ] && [ ! -e "$WINEPREFIX/drive_c/T/New" ]'
rm -rf "$WINEPREFIX/drive_c/T"
calls_of icacls >/dev/null

echo "== all users into folders with quotes: PowerShell gets the folder as data, icacls as an argument"
team='C:\T\Team’s tools'
for folder in "$team" 'C:\T\x‘,$(calc),’ ‚‛ '"'\`"'$x 名前'; do
    export LUMBRIX_PROBE="$folder\\Lumbrix64.dll"
    check "install into $folder ends with 0" equal "$(run_split "$(windows_path "$LUMBRIX_SETUP")" "/S /ALLUSERS /D=$folder")" 0
    check "the script is the same, the folder in its environment" \
        equal "$(powershell_calls)" "$(add_command "$folder" "$new_family" x64 -AllUsers -AllowUnsigned)"
    check "icacls protects that folder" equal "$(calls_of icacls)" "$(protect_commands "$folder" absent)"
    check "the DLL is there" test -e "$(unix_of "$folder")/Lumbrix64.dll"
done
check "the second one's silent uninstall ends with 0 and the folder goes" eval \
    '[ "$(run_split "$folder\\uninstall.exe" "/S _?=$folder")" = 0 ] && gone_within_10s "$(unix_of "$folder")"'
echo "   the first one's uninstaller is left open longer than the 10 s of an old cleanup:"
(run_split "$team\\uninstall.exe" "_?=$team" >"$LUMBRIX_INSTALLER_WORK/uninstall.exit") &
uninstaller=$!
check "it asks, and is told to go on" wine "$LUMBRIX_PRESS_BUTTON" "Lumbrix64 Uninstall: Confirmation" "&Uninstall"
check "it is done and shows Close" wine "$LUMBRIX_PRESS_BUTTON" "Lumbrix64 Uninstall: Completed" "&Close" wait
sleep 11
check "11 s later uninstall.exe is still there: the cleanup waits" test -e "$(unix_of "$team")/uninstall.exe"
check "Close ends it with 0" eval \
    'wine "$LUMBRIX_PRESS_BUTTON" "Lumbrix64 Uninstall: Completed" "&Close" && wait "$uninstaller" && [ "$(cat "$LUMBRIX_INSTALLER_WORK/uninstall.exit")" = 0 ]'
check "then the folder goes" gone_within_10s "$(unix_of "$team")"
powershell_calls >/dev/null

echo "== a failed package registration, then uninstall on Windows 10 while a process holds the DLL"
export LUMBRIX_PROBE="$MACHINE_DIR\Lumbrix64.dll"
check "install for all users again, with Wine's own icacls and PowerShell failing: still 0" \
    equal "$(LUMBRIX_POWERSHELL_EXIT=1 WINEDLLOVERRIDES="mscoree,mshtml=" run_windows "$(windows_path "$LUMBRIX_SETUP") /S /ALLUSERS")" 0
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
