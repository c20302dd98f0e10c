; The Windows 11 first-level menu entry comes from an identity-only package
; whose external location is the install folder. The package (AppxManifest.xml,
; packed and signed with the Windows SDK) is included only when the build is
; given one (SPARSE_PACKAGE); on Windows 10 and earlier the step is skipped and
; the classic menu entry serves alone.

!define SPARSE_PACKAGE_NAME "Orvane.Lumbrix64"

!macro RegisterSparsePackage
!ifdef SPARSE_PACKAGE
    ReadRegStr $R0 HKLM "SOFTWARE\Microsoft\Windows NT\CurrentVersion" "CurrentBuildNumber"
    ${If} $R0 >= 22000
        File "/oname=Lumbrix64.msix" "${SPARSE_PACKAGE}"
        ; Registered for the user who runs the setup; the classic entry works
        ; for everyone whether this succeeds or not.
        nsExec::ExecToLog `powershell.exe -NoProfile -ExecutionPolicy Bypass -Command "Add-AppxPackage -Path '$INSTDIR\Lumbrix64.msix' -ExternalLocation '$INSTDIR'"`
        Pop $R1
        ${If} $R1 != 0
            MessageBox MB_ICONINFORMATION "The Windows 11 menu entry could not be registered ($R1). Lumbrix64 is still available under $\"Show more options$\"." /SD IDOK
        ${EndIf}
    ${EndIf}
!endif
!macroend

!macro RemoveSparsePackage
    ${If} ${FileExists} "$INSTDIR\Lumbrix64.msix"
        nsExec::ExecToLog `powershell.exe -NoProfile -ExecutionPolicy Bypass -Command "Get-AppxPackage -Name ${SPARSE_PACKAGE_NAME} | Remove-AppxPackage"`
        Pop $R1
        Delete "$INSTDIR\Lumbrix64.msix"
    ${EndIf}
!macroend
