#include "settings/server_registration.h"

#include "common/com_boundary.h"
#include "common/message_box.h"
#include "common/module_identity.h"
#include "common/system_error_text.h"
#include "settings/registry_key.h"

#include <objbase.h>
#include <olectl.h>

#include <string>

namespace lumbrix {
namespace {

constexpr wchar_t kRegistryRoot[] = L"レジストリ HKEY_CLASSES_ROOT\\";
constexpr wchar_t kOpenFailed[] = L" のオープンが失敗しました。";
constexpr wchar_t kDefaultValueFailed[] = L" の値 \"\" のセット失敗しました。";
constexpr wchar_t kDeleteFailed[] = L" の削除が失敗しました。";

constexpr wchar_t kFileHandlersKey[] = L"*\\shellex\\ContextMenuHandlers";
constexpr wchar_t kFolderHandlersKey[] = L"Folder\\shellex\\ContextMenuHandlers";

void ShowRegistrationError(const std::wstring& text) noexcept
{
    ShowMessage(nullptr, text.c_str(), MB_ICONERROR);
}

// The system's text for code, "レジストリ HKEY_CLASSES_ROOT\", then the pieces.
void ShowRegistryError(DWORD code, const std::wstring& keyPath, const wchar_t* suffix)
{
    ShowRegistrationError(SystemErrorText(code) + kRegistryRoot + keyPath + suffix);
}

bool ClassIdText(wchar_t (&text)[40]) noexcept
{
    return ::StringFromGUID2(CLSID_LumbrixMenu, text, 40) != 0;
}

// Creates parent\path and sets its default value; shows the failing step.
bool WriteDefaultValue(RegistryKey& key, const std::wstring& path, const wchar_t* data)
{
    if (!key.Create(HKEY_CLASSES_ROOT, path.c_str())) {
        ShowRegistryError(key.lastError(), path, kOpenFailed);
        return false;
    }
    if (!key.SetString(nullptr, REG_SZ, data)) {
        ShowRegistryError(key.lastError(), path, kDefaultValueFailed);
        return false;
    }
    return true;
}

bool WriteInProcServer(const std::wstring& classKeyPath, const wchar_t* modulePath)
{
    RegistryKey server;
    if (!server.Create(HKEY_CLASSES_ROOT, (classKeyPath + L"\\InProcServer32").c_str())) {
        ShowRegistryError(server.lastError(), classKeyPath, L"\\InProcServer32 のオープンが失敗しました。");
        return false;
    }
    if (!server.SetString(nullptr, REG_SZ, modulePath)) {
        ShowRegistryError(server.lastError(), classKeyPath, L"\\InProcServer32 の値 \"\" のセット失敗しました。");
        return false;
    }
    if (!server.SetString(L"ThreadingModel", REG_SZ, L"Apartment")) {
        ShowRegistryError(server.lastError(), classKeyPath,
                          L"\\InProcServer32 の値 \"ThreadingModel\" のセット失敗しました。");
        return false;
    }
    return true;
}

HRESULT RegisterServer()
{
    wchar_t classId[40] = {};
    if (!ClassIdText(classId)) {
        ShowRegistrationError(L"StringFromGUID2() が失敗しました。");
        return SELFREG_E_CLASS;
    }

    std::wstring modulePath(32768, L'\0');
    const DWORD length = ::GetModuleFileNameW(moduleInstance, modulePath.data(),
                                              static_cast<DWORD>(modulePath.size()));
    // A full buffer means a cut path, which must not be registered.
    if (length == 0 || length >= modulePath.size()) {
        ShowRegistrationError(L"GetModuleFileName() が失敗しました。");
        return E_UNEXPECTED;
    }
    modulePath.resize(length);

    const std::wstring classKeyPath = std::wstring(L"CLSID\\") + classId;
    RegistryKey key;
    if (!WriteDefaultValue(key, classKeyPath, kHandlerDisplayName)) return SELFREG_E_CLASS;
    if (!WriteInProcServer(classKeyPath, modulePath.c_str())) return SELFREG_E_CLASS;
    if (!WriteDefaultValue(key, std::wstring(kFileHandlersKey) + L"\\" + kHandlerDisplayName, classId))
        return SELFREG_E_CLASS;
    if (!WriteDefaultValue(key, std::wstring(kFolderHandlersKey) + L"\\" + kHandlerDisplayName, classId))
        return SELFREG_E_CLASS;
    return S_OK;
}

// What is not there is removed already: unregistering twice, or a DLL that
// was never registered, succeeds without a word (an unattended script would
// otherwise wait on the boxes).
bool RemovedOrAbsent(bool removed, DWORD error) noexcept
{
    return removed || error == ERROR_NO_MORE_ITEMS || error == ERROR_FILE_NOT_FOUND;
}

// Opens parentPath and removes its subkey; shows what failed. The messages
// name the key path as it exists under HKEY_CLASSES_ROOT.
bool RemoveSubkey(RegistryKey& key, const wchar_t* parentPath, const wchar_t* subkey, bool wholeTree)
{
    if (!key.Open(HKEY_CLASSES_ROOT, parentPath)) {
        if (key.lastError() == ERROR_FILE_NOT_FOUND) return true;
        ShowRegistrationError(SystemErrorText(key.lastError()) + kRegistryRoot + parentPath + kOpenFailed);
        return false;
    }
    const bool removed = wholeTree ? DeleteRegTree(key.handle(), subkey) : DeleteRegKey(key.handle(), subkey);
    const DWORD error = ::GetLastError();
    if (RemovedOrAbsent(removed, error)) return true;
    ShowRegistrationError(SystemErrorText(error) + kRegistryRoot + parentPath + L" のサブキー " + subkey +
                          kDeleteFailed);
    return false;
}

HRESULT UnregisterServer()
{
    wchar_t classId[40] = {};
    if (!ClassIdText(classId)) {
        ShowRegistrationError(L"StringFromGUID2() が失敗しました。");
        return S_FALSE;
    }
    RegistryKey key;
    bool complete = RemoveSubkey(key, L"CLSID", classId, /*wholeTree=*/true);
    complete = RemoveSubkey(key, kFileHandlersKey, kHandlerDisplayName, false) && complete;
    complete = RemoveSubkey(key, kFolderHandlersKey, kHandlerDisplayName, false) && complete;
    return complete ? S_OK : S_FALSE;
}

} // namespace
} // namespace lumbrix

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer()
try {
    return lumbrix::RegisterServer();
}
LUMBRIX_CATCH_AS_E_OUTOFMEMORY()

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer()
try {
    return lumbrix::UnregisterServer();
}
LUMBRIX_CATCH_AS_E_OUTOFMEMORY()
