; Lumbrix64 setup: installs Lumbrix64.dll for all users (Program Files or a
; folder of its own with the same protection, HKLM) or for the current user
; (the user's programs folder, HKCU), registers
; it as the context-menu handler of files and folders and adds the
; installed-programs entry. Built by make-package.sh, which passes
; VERSION (a.b.c.d), DLL, ICON and OUTFILE, the Windows 11 package MSIX and
; its PACKAGE_FAMILY, DLL_ARM64 and MSIX_ARM64 when it has the ARM64 build
; (machine.nsh), and SIGN and MSIX_SIGNED when the files are signed.
;
; In Japanese or English, after the user's display language (languages.nsh).
; Switches: /S silent, /ALLUSERS or /CURRENTUSER, /D=folder (last, unquoted).
; Exit codes: exit_codes.nsh.

Unicode true
Target amd64-unicode
RequestExecutionLevel highest
SetCompressor /SOLID lzma
ManifestSupportedOS all

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Lumbrix64"

!include LogicLib.nsh
!include FileFunc.nsh
!include /CHARSET=UTF8 exit_codes.nsh
!include /CHARSET=UTF8 registration.nsh
!include /CHARSET=UTF8 install_mode.nsh
!include /CHARSET=UTF8 machine.nsh
!include /CHARSET=UTF8 sparse_package.nsh
!include /CHARSET=UTF8 folder_protection.nsh
!include /CHARSET=UTF8 cleanup.nsh
!include /CHARSET=UTF8 languages.nsh
!include /CHARSET=UTF8 texts.nsh

!ifdef SIGN
    ; The uninstaller is written into the package, so it is signed first.
    !uninstfinalize '"${SIGN}" "%1"' = 0
    !finalize '"${SIGN}" "%1"' = 0
!endif

Name "Lumbrix64"
OutFile "${OUTFILE}"
Icon "${ICON}"
UninstallIcon "${ICON}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
; The file's description is what Windows shows as the program's name when it
; asks for administrator rights.
!macro VersionStrings language description
    VIAddVersionKey /LANG=${language} ProductName "Lumbrix64"
    VIAddVersionKey /LANG=${language} CompanyName "Orvane"
    VIAddVersionKey /LANG=${language} FileDescription "${description}"
    VIAddVersionKey /LANG=${language} FileVersion "${VERSION}"
    VIAddVersionKey /LANG=${language} ProductVersion "${VERSION}"
    VIAddVersionKey /LANG=${language} LegalCopyright "Copyright (C) 2026 Orvane"
!macroend
!insertmacro VersionStrings ${LANG_ENGLISH} "Lumbrix64 setup"
!insertmacro VersionStrings ${LANG_JAPANESE} "Lumbrix64 セットアップ"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Var OldDllInUse

Function .onInit
    !insertmacro ChooseInstallMode
    !insertmacro ChooseMachine
    ; An upgrade goes where the installed version is, unless /D= says otherwise.
    ${If} $INSTDIR == ""
        ReadRegStr $INSTDIR SHCTX "${UNINSTALL_KEY}" "InstallLocation"
    ${EndIf}
    ${If} $INSTDIR == ""
        ${If} $Mode == "all"
            StrCpy $INSTDIR "$PROGRAMFILES64\Lumbrix64"
        ${Else}
            StrCpy $INSTDIR "$LOCALAPPDATA\Programs\Lumbrix64"
        ${EndIf}
    ${EndIf}
FunctionEnd

; Puts the new DLL in place. A DLL that a running program (Explorer) has
; loaded cannot be deleted or overwritten but can be renamed: it is moved
; aside and removed at the next restart, and new processes load the new file.
Function PlaceDll
    Delete "$INSTDIR\Lumbrix64-old-*.dll" ; earlier ones that are no longer loaded
    ${If} ${FileExists} "$INSTDIR\Lumbrix64.dll"
        ClearErrors
        Delete "$INSTDIR\Lumbrix64.dll"
        ${If} ${Errors}
            StrCpy $R0 1
            ${DoWhile} ${FileExists} "$INSTDIR\Lumbrix64-old-$R0.dll"
                IntOp $R0 $R0 + 1
            ${Loop}
            ClearErrors
            Rename "$INSTDIR\Lumbrix64.dll" "$INSTDIR\Lumbrix64-old-$R0.dll"
            ${If} ${Errors}
                !insertmacro Fail "$(DllInUse)"
            ${EndIf}
            ; Scheduling needs HKLM; for the current user the next setup or
            ; the uninstaller deletes it.
            ${If} $Mode == "all"
                Delete /REBOOTOK "$INSTDIR\Lumbrix64-old-$R0.dll"
            ${EndIf}
            StrCpy $OldDllInUse 1
        ${EndIf}
    ${EndIf}
    ClearErrors
    !insertmacro FileForMachine Lumbrix64.dll "${DLL}" "${DLL_ARM64}"
    ${If} ${Errors}
        !insertmacro Fail "$(DllNotWritten)"
    ${EndIf}
FunctionEnd

Section
    ${If} $Mode == "all"
        !insertmacro RefuseSharedFolder
    ${EndIf}
    SetOutPath "$INSTDIR"
    ${If} $Mode == "all"
        !insertmacro ProtectFolder
    ${EndIf}
    Call PlaceDll
    ClearErrors
    WriteUninstaller "$INSTDIR\uninstall.exe"
    !insertmacro WriteRegistration
    !insertmacro PlaceSparsePackage

    ; The installed-programs entry; one per scope, replaced by an upgrade.
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "Lumbrix64"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "Orvane"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "Comments" "$(AppsComment)" ; in the installing user's language
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Lumbrix64.dll,0"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    ; _?= keeps the uninstaller in this process so that callers get its exit code.
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe" _?=$INSTDIR'
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S _?=$INSTDIR'
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
    ${If} ${Errors}
        !insertmacro Fail "$(EntryNotWritten)"
    ${EndIf}
    ; The installed files only, not an old DLL that waits for the restart.
    ${GetSize} "$INSTDIR" "/M=Lumbrix64.dll /S=0K /G=0" $R0 $R1 $R2
    ${GetSize} "$INSTDIR" "/M=uninstall.exe /S=0K /G=0" $R3 $R1 $R2
    IntOp $R0 $R0 + $R3
    ${GetSize} "$INSTDIR" "/M=Lumbrix64.msix /S=0K /G=0" $R3 $R1 $R2
    IntOp $R0 $R0 + $R3
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $R0

    !insertmacro RegisterSparsePackage

    ${If} $OldDllInUse == 1
        SetErrorLevel ${EXIT_RESTART_NEEDED}
        MessageBox MB_ICONINFORMATION "$(InstalledOldDllLoaded)" /SD IDOK
    ${EndIf}
SectionEnd

Function un.onInit
    !insertmacro ChooseUninstallMode
FunctionEnd

Section Uninstall
    !insertmacro RemoveSparsePackage
    !insertmacro RemoveRegistration
    ClearErrors
    ReadRegStr $R0 SHCTX "${CLASS_KEY}\InProcServer32" ""
    ${IfNot} ${Errors}
        !insertmacro Fail "$(un.RegistrationNotRemoved)"
    ${EndIf}
    DeleteRegKey SHCTX "${UNINSTALL_KEY}"
    ${If} $Mode == "user"
        !insertmacro DeleteKeyIfBare "Software\Microsoft\Windows\CurrentVersion\Uninstall"
    ${EndIf}

    Delete "$INSTDIR\Lumbrix64-old-*.dll"
    ClearErrors
    Delete "$INSTDIR\Lumbrix64.dll"
    ${If} ${Errors}
        ; Loaded by a running program: it goes at the next restart (all users)
        ; or when the user deletes the folder.
        SetErrorLevel ${EXIT_RESTART_NEEDED}
        ${If} $Mode == "all"
            Delete /REBOOTOK "$INSTDIR\Lumbrix64.dll"
            Delete /REBOOTOK "$INSTDIR\Lumbrix64-old-*.dll"
            RMDir /REBOOTOK "$INSTDIR"
            MessageBox MB_ICONINFORMATION "$(un.RemovedRestartRemovesDll)" /SD IDOK
        ${Else}
            MessageBox MB_ICONINFORMATION "$(un.RemovedUserDeletesFolder)" /SD IDOK
        ${EndIf}
    ${EndIf}

    ${If} $EXEDIR == $INSTDIR
        Call un.StartCleanup ; run in place (_?=): this file cannot go while it runs
    ${Else}
        Call un.RemoveLeftovers
    ${EndIf}
SectionEnd
