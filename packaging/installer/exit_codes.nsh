; The setup's and the uninstaller's exit codes (README, "Install on Windows").
; 0 is success; 1 (cancelled by the user) and 2 (aborted) are NSIS's own.
!define EXIT_FAILED 2             ; a file or registry value could not be written
!define EXIT_BAD_SWITCHES 87      ; ERROR_INVALID_PARAMETER
!define EXIT_ELEVATION_REQUIRED 740 ; ERROR_ELEVATION_REQUIRED: all users without administrator rights
!define EXIT_RESTART_NEEDED 3010  ; ERROR_SUCCESS_REBOOT_REQUIRED: done; an old DLL goes at the next restart

; Tells the user (not in silent mode) and ends the installation with EXIT_FAILED.
!macro Fail text
    MessageBox MB_ICONSTOP "${text}" /SD IDOK
    SetErrorLevel ${EXIT_FAILED}
    Abort
!macroend
