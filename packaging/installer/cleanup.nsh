; uninstall.exe and its folder, which cannot go while the uninstaller runs in
; place (_?=): a copy of the uninstaller, started at its end, waits for the
; uninstaller's process to end, however long its window stays open, through
; a handle to that process that it inherits, and then removes them.
; For all users the copy runs elevated, so it must not run from a folder that
; the user can write to (an unelevated program of the user could replace it
; in %TEMP% before it starts): it goes into a new folder under the system's
; TEMP that only administrators and SYSTEM can change, created with those
; permissions in one step, and it unpacks its plugins there too; it and that
; folder go at the next restart. For the current user the copy goes into the
; user's TEMP, like the user's own installation and uninstaller, and stays.

!define SYNCHRONIZE 0x00100000

; Starts "COPY /CLEANUP /all|/user /WAIT=HANDLE _?=INSTDIR"; failing that,
; for all users, the file and the folder go at the next restart.
Function un.StartCleanup
    StrCpy $R2 0
    ${If} $Mode == "all"
        System::Call 'ole32::CoCreateGuid(g .R0)'
        StrCpy $R9 "$WINDIR\Temp\Lumbrix64-$R0"
        System::Call 'advapi32::ConvertStringSecurityDescriptorToSecurityDescriptorW(w "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)", i 1, *p .R1, p 0) i .R2'
        ${If} $R2 != 0
            ; SECURITY_ATTRIBUTES: length, padding, descriptor, not inherited, padding
            System::Call '*(i 24, i 0, p R1, i 0, i 0) p .R3'
            ; Fails when the name exists: the folder is always a new one.
            System::Call 'kernel32::CreateDirectoryW(w R9, p R3) i .R2'
            System::Free $R3
            System::Call 'kernel32::LocalFree(p R1)'
        ${EndIf}
        StrCpy $R0 "$R9\Lumbrix64-uninstall.exe"
        ${If} $R2 != 0
            ; The copy's $TEMP, where it unpacks its plugins.
            System::Call 'kernel32::SetEnvironmentVariableW(w "TMP", w R9)'
            System::Call 'kernel32::SetEnvironmentVariableW(w "TEMP", w R9)'
        ${EndIf}
    ${Else}
        GetTempFileName $R0
        StrCpy $R9 $TEMP
        StrCpy $R2 1
    ${EndIf}
    ${If} $R2 != 0
        ClearErrors
        CopyFiles /SILENT "$EXEPATH" "$R0"
        ${If} ${Errors}
            StrCpy $R2 0
        ${EndIf}
    ${EndIf}
    ${If} $R2 != 0
        System::Call 'kernel32::GetCurrentProcess() p .R1'
        System::Call 'kernel32::DuplicateHandle(p R1, p R1, p R1, *p .R3, i ${SYNCHRONIZE}, i 1, i 0) i .R2'
    ${EndIf}
    ${If} $R2 != 0
        StrCpy $R4 '"$R0" /CLEANUP /$Mode /WAIT=$R3 _?=$INSTDIR'
        System::Alloc 104 ; STARTUPINFOW, cb first
        Pop $R5
        System::Call '*$R5(i 104)'
        System::Alloc 24 ; PROCESS_INFORMATION
        Pop $R6
        ; Inherits the handles that may be inherited: the one to this process.
        System::Call 'kernel32::CreateProcessW(p 0, w R4, p 0, p 0, i 1, i 0, p 0, w R9, p R5, p R6) i .R2'
        ${If} $R2 != 0
            System::Call '*$R6(p .R7, p .R8)'
            System::Call 'kernel32::CloseHandle(p R7)'
            System::Call 'kernel32::CloseHandle(p R8)'
        ${EndIf}
        System::Free $R5
        System::Free $R6
        System::Call 'kernel32::CloseHandle(p R3)'
    ${EndIf}
    ${If} $R2 == 0
    ${AndIf} $Mode == "all"
        Delete /REBOOTOK "$INSTDIR\uninstall.exe"
        RMDir /REBOOTOK "$INSTDIR"
    ${EndIf}
FunctionEnd

; The copy: waits for the uninstaller, removes what it left, ends.
!macro RunCleanup options
    ${un.GetOptions} ${options} "/WAIT=" $R1
    System::Call 'kernel32::WaitForSingleObject(p R1, i -1)'
    System::Call 'kernel32::CloseHandle(p R1)'
    Call un.RemoveLeftovers
    ${If} $Mode == "all"
        ${If} ${FileExists} "$INSTDIR\uninstall.exe"
            Delete /REBOOTOK "$INSTDIR\uninstall.exe"
            RMDir /REBOOTOK "$INSTDIR"
        ${EndIf}
        Delete /REBOOTOK "$EXEPATH"
        RMDir /REBOOTOK "$EXEDIR"
    ${EndIf}
!macroend

; Removes uninstall.exe (the process that ran it has ended; a virus scanner
; may still hold the file for a moment), then the folder and (current user)
; the programs folder when empty.
Function un.RemoveLeftovers
    ${For} $R2 1 50
        Delete "$INSTDIR\uninstall.exe"
        ${IfNot} ${FileExists} "$INSTDIR\uninstall.exe"
            ${ExitFor}
        ${EndIf}
        Sleep 100
    ${Next}
    RMDir "$INSTDIR"
    ${If} $Mode == "user"
        RMDir "$LOCALAPPDATA\Programs"
    ${EndIf}
FunctionEnd
