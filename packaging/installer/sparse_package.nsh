; The Windows 11 first-level menu entry comes from an identity-only package
; whose external location is the install folder. Every setup carries the
; package (MSIX, made by make_msix.py, and MSIX_ARM64 for ARM64 machines;
; MSIX_SIGNED when they are signed) and puts the machine's one beside the DLL
; (machine.nsh); on Windows 11 it is registered:
; - all users: with -AllowUnsigned when it is unsigned (Windows takes an
;   unsigned package only from an elevated process);
; - the current user: only when it is signed.
; Whatever happens, the classic handler stays registered: the DLL itself
; leaves the classic menu alone for a user who has the package (see
; PACKAGE_FAMILY below), so nobody is left without an entry.

!define SPARSE_PACKAGE_NAME "Orvane.Lumbrix64"
!define POWERSHELL `"$SYSDIR\WindowsPowerShell\v1.0\powershell.exe" -NoProfile -NonInteractive -ExecutionPolicy Bypass -Command`
; The install folder reaches PowerShell as data, never as script text: the
; setup puts it into this variable of its own environment, which PowerShell
; inherits and reads as $env:LUMBRIX64_INSTALL_DIR, so no quote character
; (PowerShell also takes U+2018 to U+201E for quotes) can end a string early.
!define FOLDER_VARIABLE LUMBRIX64_INSTALL_DIR
!ifdef MSIX_SIGNED
    !define ALLOW_UNSIGNED ""
!else
    !define ALLOW_UNSIGNED " -AllowUnsigned"
!endif

; $R0 = 1 on Windows 11 (build 22000 or later), else 0.
!macro IsWindows11
    ReadRegStr $R0 HKLM "SOFTWARE\Microsoft\Windows NT\CurrentVersion" "CurrentBuildNumber"
    ${If} $R0 >= 22000
        StrCpy $R0 1
    ${Else}
        StrCpy $R0 0
    ${EndIf}
!macroend

; PowerShell's -AllUsers for an all-users installation, nothing otherwise.
!macro AllUsersSwitch var
    StrCpy ${var} ""
    ${If} $Mode == "all"
        StrCpy ${var} " -AllUsers"
    ${EndIf}
!macroend

; The package beside the DLL, and its family name under the classic class:
; the DLL asks Windows whether that family is registered for the user whose
; menu it builds.
!macro PlaceSparsePackage
    !insertmacro FileForMachine Lumbrix64.msix "${MSIX}" "${MSIX_ARM64}"
    WriteRegStr SHCTX "${CLASS_KEY}" "PackageFamilyName" "${PACKAGE_FAMILY}"
!macroend

; Windows 11 only; a failure or a skip is reported but never fails the setup.
!macro RegisterSparsePackage
    !insertmacro IsWindows11
    ${If} $R0 == 1
    ${AndIf} $Mode != "all"
    ${AndIf} "${ALLOW_UNSIGNED}" != ""
        MessageBox MB_ICONINFORMATION "$(UnsignedForUserOnly)" /SD IDOK
    ${ElseIf} $R0 == 1
        StrCpy $R2 $INSTDIR
        System::Call 'kernel32::SetEnvironmentVariableW(w "${FOLDER_VARIABLE}", w R2)'
        !insertmacro AllUsersSwitch $R3
        ; An upgrade updates the package in place; another family of the same
        ; name (signed before, unsigned now) would add a second entry, and the
        ; other processor's package (left on an ARM64 machine by an x64-only
        ; setup) names the wrong DLL: both go first.
        nsExec::ExecToLog `${POWERSHELL} "$$ErrorActionPreference = 'Stop'; Get-AppxPackage$R3 -Name ${SPARSE_PACKAGE_NAME} | Where-Object { $$_.PackageFamilyName -ne '${PACKAGE_FAMILY}' -or $$_.Architecture -ne '$Machine' } | Remove-AppxPackage$R3; Add-AppxPackage -Path ($$env:${FOLDER_VARIABLE} + '\Lumbrix64.msix') -ExternalLocation $$env:${FOLDER_VARIABLE} -ForceUpdateFromAnyVersion${ALLOW_UNSIGNED}"`
        Pop $R1
        ${If} $R1 != 0
            MessageBox MB_ICONINFORMATION "$(PackageNotRegistered)" /SD IDOK
        ${EndIf}
    ${EndIf}
!macroend

; Before the files go: a package whose external location is gone would leave
; a dead entry.
!macro RemoveSparsePackage
    !insertmacro IsWindows11
    ${If} $R0 == 1
        !insertmacro AllUsersSwitch $R3
        nsExec::ExecToLog `${POWERSHELL} "$$ErrorActionPreference = 'Stop'; Get-AppxPackage$R3 -Name ${SPARSE_PACKAGE_NAME} | Remove-AppxPackage$R3"`
        Pop $R1
        ${If} $R1 != 0
            MessageBox MB_ICONINFORMATION "$(un.PackageNotRemoved)" /SD IDOK
        ${EndIf}
    ${EndIf}
    Delete "$INSTDIR\Lumbrix64.msix"
!macroend
