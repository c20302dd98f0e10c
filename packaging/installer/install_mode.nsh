; All users (HKLM, Program Files; needs administrator rights) or the current
; user (HKCU, the user's programs folder). Sets $Mode and the shell context
; that SHCTX, $LOCALAPPDATA and $PROGRAMFILES64 follow.

Var Mode ; "all" or "user"

!macro UseMode mode
    StrCpy $Mode "${mode}"
    ${If} $Mode == "all"
        SetShellVarContext all
    ${Else}
        SetShellVarContext current
    ${EndIf}
!macroend

; Without a switch: all users when the process has administrator rights
; (asked interactively), otherwise the current user.
!macro ChooseInstallMode
    SetRegView 64
    ${GetParameters} $R0
    StrCpy $R3 ""
    ClearErrors
    ${GetOptions} $R0 "/ALLUSERS" $R1
    ${IfNot} ${Errors}
        StrCpy $R3 "all"
    ${EndIf}
    ClearErrors
    ${GetOptions} $R0 "/CURRENTUSER" $R1
    ${IfNot} ${Errors}
        ${If} $R3 == "all"
            MessageBox MB_ICONSTOP "$(BadSwitches)" /SD IDOK
            SetErrorLevel ${EXIT_BAD_SWITCHES}
            Quit
        ${EndIf}
        StrCpy $R3 "user"
    ${EndIf}
    UserInfo::GetAccountType
    Pop $R2
    ${If} $R3 == ""
        StrCpy $R3 "user"
        ${If} $R2 == "Admin"
            StrCpy $R3 "all"
            ${IfNot} ${Silent}
                MessageBox MB_YESNOCANCEL|MB_ICONQUESTION "$(AskAllUsers)" IDYES mode_chosen IDNO mode_user
                SetErrorLevel 1
                Quit
                mode_user:
                StrCpy $R3 "user"
                mode_chosen:
            ${EndIf}
        ${EndIf}
    ${EndIf}
    ${If} $R3 == "all"
    ${AndIf} $R2 != "Admin"
        MessageBox MB_ICONSTOP "$(InstallNeedsAdmin)" /SD IDOK
        SetErrorLevel ${EXIT_ELEVATION_REQUIRED}
        Quit
    ${EndIf}
    !insertmacro UseMode $R3
!macroend

; The uninstaller serves the installation it sits in: all users when the
; HKLM entry names its folder. "/CLEANUP /all|/user /WAIT=HANDLE" is the copy
; that removes the in-place uninstaller and the folder after it ends
; (cleanup.nsh). "/ABOUT" (what the Windows 11 package starts as its
; application) only says what Lumbrix64 is and removes nothing.
!macro ChooseUninstallMode
    SetRegView 64
    ${un.GetParameters} $R0
    ClearErrors
    ${un.GetOptions} $R0 "/ABOUT" $R1
    ${IfNot} ${Errors}
        MessageBox MB_ICONINFORMATION "$(un.About)" /SD IDOK
        SetErrorLevel 0
        Quit
    ${EndIf}
    ClearErrors
    ${un.GetOptions} $R0 "/CLEANUP" $R1
    ${IfNot} ${Errors}
        ClearErrors
        ${un.GetOptions} $R0 "/user" $R1
        ${If} ${Errors}
            !insertmacro UseMode "all"
        ${Else}
            !insertmacro UseMode "user"
        ${EndIf}
        !insertmacro RunCleanup $R0
        Quit
    ${EndIf}
    ReadRegStr $R1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $R1 == $INSTDIR
        UserInfo::GetAccountType
        Pop $R2
        ${If} $R2 != "Admin"
            MessageBox MB_ICONSTOP "$(un.UninstallNeedsAdmin)" /SD IDOK
            SetErrorLevel ${EXIT_ELEVATION_REQUIRED}
            Quit
        ${EndIf}
        !insertmacro UseMode "all"
    ${Else}
        !insertmacro UseMode "user"
    ${EndIf}
!macroend
