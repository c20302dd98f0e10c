; An all-users install folder gets the protection of Program Files, wherever
; /D= puts it: every user's file manager (administrators' included) loads the
; DLL from there, so a folder that inherits write access for users (a folder
; on another drive, say) would let any user replace it. The folder then holds
; the setup's files alone: the setup refuses one that holds anything else,
; which would keep its own permissions (and whose users would lose theirs).

!define ADMINISTRATORS "*S-1-5-32-544"
!define ICACLS `"$SYSDIR\icacls.exe"`

; Refuses (EXIT_FAILED) a folder with any entry that an earlier setup did not write.
!macro RefuseSharedFolder
    FindFirst $R0 $R1 "$INSTDIR\*"
    ${DoWhile} $R1 != ""
        StrCpy $R2 $R1 14
        ${If} $R1 != "."
        ${AndIf} $R1 != ".."
        ${AndIf} $R1 != "Lumbrix64.dll"
        ${AndIf} $R1 != "Lumbrix64.msix"
        ${AndIf} $R1 != "uninstall.exe"
        ${AndIf} $R2 != "Lumbrix64-old-"
            FindClose $R0
            !insertmacro Fail "$(SharedFolder)"
        ${EndIf}
        FindNext $R0 $R1
    ${Loop}
    FindClose $R0
!macroend

; Owner Administrators; no entry of its own or inherited from the parent but
; Administrators and SYSTEM full control and Users read and execute, passed on
; to every file in it. The folder's path is an argument of icacls, not text
; that a shell parses. Fails the setup (and removes the folder when empty)
; when that cannot be done, as on a drive without permissions (FAT, exFAT).
; icacls runs in a working folder outside the install folder: a program's
; working folder stays open a moment after it ends, too long for RMDir.
!macro ProtectFolder
    SetOutPath "$TEMP"
    nsExec::Exec `${ICACLS} "$INSTDIR" /setowner ${ADMINISTRATORS}`
    Pop $R1
    ${If} $R1 == 0
        nsExec::Exec `${ICACLS} "$INSTDIR" /reset`
        Pop $R1
    ${EndIf}
    ${If} $R1 == 0
        nsExec::Exec `${ICACLS} "$INSTDIR" /inheritance:r /grant:r ${ADMINISTRATORS}:(OI)(CI)F *S-1-5-18:(OI)(CI)F *S-1-5-32-545:(OI)(CI)RX`
        Pop $R1
    ${EndIf}
    ${If} $R1 != 0
        RMDir "$INSTDIR"
        !insertmacro Fail "$(FolderNotProtected)"
    ${EndIf}
    SetOutPath "$INSTDIR"
    ; Written anew, not over the old files: an overwritten file keeps its owner.
    Delete "$INSTDIR\uninstall.exe"
    Delete "$INSTDIR\Lumbrix64.msix"
!macroend
