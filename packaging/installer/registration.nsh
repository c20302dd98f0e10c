; The keys and values that Lumbrix64.dll's DllRegisterServer writes under
; HKEY_CLASSES_ROOT, written here under SHCTX\Software\Classes (HKLM for all
; users, HKCU for the current user). The class identifier and the handler's
; name must equal CLSID_LumbrixMenu and kHandlerDisplayName in src/; the
; installer test compares these keys with what regsvr32 writes.
!define CLSID "{134343DC-2495-456B-AAD3-100028AF9510}"
!define HANDLER_NAME "クリップボードにファイル名をコピーx64"
!define CLASS_KEY "Software\Classes\CLSID\${CLSID}"
!define FILE_HANDLERS "Software\Classes\*\shellex\ContextMenuHandlers"
!define FOLDER_HANDLERS "Software\Classes\Folder\shellex\ContextMenuHandlers"

!macro WriteRegistration
    WriteRegStr SHCTX "${CLASS_KEY}" "" "${HANDLER_NAME}"
    WriteRegStr SHCTX "${CLASS_KEY}\InProcServer32" "" "$INSTDIR\Lumbrix64.dll"
    WriteRegStr SHCTX "${CLASS_KEY}\InProcServer32" "ThreadingModel" "Apartment"
    WriteRegStr SHCTX "${FILE_HANDLERS}\${HANDLER_NAME}" "" "${CLSID}"
    WriteRegStr SHCTX "${FOLDER_HANDLERS}\${HANDLER_NAME}" "" "${CLSID}"
!macroend

; Removes what WriteRegistration wrote. For the current user also the parent
; keys it created, when left with no subkeys and no values; under HKLM they
; belong to Windows and stay, as DllUnregisterServer leaves them.
!macro RemoveRegistration
    DeleteRegKey SHCTX "${CLASS_KEY}"
    DeleteRegKey SHCTX "${FILE_HANDLERS}\${HANDLER_NAME}"
    DeleteRegKey SHCTX "${FOLDER_HANDLERS}\${HANDLER_NAME}"
    ${If} $Mode == "user"
        !insertmacro DeleteKeyIfBare "${FILE_HANDLERS}"
        !insertmacro DeleteKeyIfBare "Software\Classes\*\shellex"
        !insertmacro DeleteKeyIfBare "Software\Classes\*"
        !insertmacro DeleteKeyIfBare "${FOLDER_HANDLERS}"
        !insertmacro DeleteKeyIfBare "Software\Classes\Folder\shellex"
        !insertmacro DeleteKeyIfBare "Software\Classes\Folder"
        !insertmacro DeleteKeyIfBare "Software\Classes\CLSID"
    ${EndIf}
!macroend

!macro DeleteKeyIfBare key
    ClearErrors
    ReadRegStr $R7 SHCTX "${key}" ""
    ${If} ${Errors} ; no default value, or no key at all
        EnumRegKey $R8 SHCTX "${key}" 0
        EnumRegValue $R9 SHCTX "${key}" 0
        ${If} "$R8$R9" == ""
            DeleteRegKey /ifempty SHCTX "${key}"
        ${EndIf}
    ${EndIf}
!macroend
