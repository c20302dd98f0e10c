; Which DLL and Windows 11 package the setup installs: the ARM64 ones on an
; ARM64 machine, else the x64 ones, both under the same names, so that the
; registration and the package's manifest are the same on both. The setup is
; an x64 program: on Windows on ARM it runs under emulation, where
; GetNativeSystemInfo says x64, so x64.nsh asks IsWow64Process2 (Windows 10
; 1709 and later), which names the native machine; a Windows without it runs
; x64 programs on x64 processors only. Emulated x64 programs are no WOW64
; programs: they see the native registry, System32 and Program Files, so
; nothing else differs.
; make-package.sh defines DLL_ARM64 and MSIX_ARM64 when it has an ARM64 DLL;
; without them the setup installs the x64 files on every machine.

!include x64.nsh

!ifndef DLL_ARM64
    !define DLL_ARM64 ""
    !define MSIX_ARM64 ""
!endif

Var Machine ; "x64" or "arm64": PowerShell compares package architectures equal to these

!macro ChooseMachine
    StrCpy $Machine "x64"
    !if "${DLL_ARM64}" != ""
        !ifdef TEST_NATIVE_MACHINE
            ; Test builds only: Wine runs x64 code alone.
            StrCpy $Machine "${TEST_NATIVE_MACHINE}"
        !else
            ${If} ${IsNativeARM64}
                StrCpy $Machine "arm64"
            ${EndIf}
        !endif
    !endif
!macroend

; Writes NAME into the output folder from the file of the machine's processor.
!macro FileForMachine name x64 arm64
    !if "${arm64}" != ""
        ${If} $Machine == "arm64"
            File "/oname=${name}" "${arm64}"
        ${Else}
            File "/oname=${name}" "${x64}"
        ${EndIf}
    !else
        File "/oname=${name}" "${x64}"
    !endif
!macroend
