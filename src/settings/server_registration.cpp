#include "settings/server_registration.h"

#include "common/com_boundary.h"
#include "common/message_box.h"
#include "common/module_identity.h"
#include "common/system_error_text.h"
#include "common/text_table.h"
#include "settings/registry_key.h"

#include <objbase.h>
#include <olectl.h>

#include <string>

namespace lumbrix {
namespace {

constexpr wchar_t kFileHandlersKey[] = L"*\\shellex\\ContextMenuHandlers";
constexpr wchar_t kFolderHandlersKey[] = L"Folder\\shellex\\ContextMenuHandlers";

void ShowRegistrationError(const std::wstring& text) noexcept
{
    ShowMessage(nullptr, text.c_str(), MB_ICONERROR);
}

// The system's text for code, the registry key prefix, the key's path, then
// the text of suffixId.
void ShowRegistryError(DWORD code, const std::wstring& keyPath, UINT suffixId)
{
    ShowRegistrationError(SystemErrorText(code) + Text(IDS_REGISTRY_KEY_PREFIX) + keyPath + Text(suffixId));
}

// The handler's name, or "" after a message when the module lacks it: its
// keys would then be the ContextMenuHandlers keys themselves.
const wchar_t* CheckedHandlerName()
{
    const wchar_t* name = HandlerDisplayName();
    if (name[0] == 0) ShowRegistrationError(SystemErrorText(ERROR_RESOURCE_NAME_NOT_FOUND));
    return name;
}

bool ClassIdText(wchar_t (&text)[40]) noexcept
{
    return ::StringFromGUID2(CLSID_LumbrixMenu, text, 40) != 0;
}

// Creates parent\path and sets its default value; shows the failing step.
bool WriteDefaultValue(RegistryKey& key, const std::wstring& path, const wchar_t* data)
{
    if (!key.Create(HKEY_CLASSES_ROOT, path.c_str())) {
        ShowRegistryError(key.lastError(), path, IDS_REGISTRY_OPEN_FAILED);
        return false;
    }
    if (!key.SetString(nullptr, REG_SZ, data)) {
        ShowRegistryError(key.lastError(), path, IDS_REGISTRY_DEFAULT_VALUE_FAILED);
        return false;
    }
    return true;
}

bool WriteInProcServer(const std::wstring& classKeyPath, const wchar_t* modulePath)
{
    const std::wstring serverKeyPath = classKeyPath + L"\\InProcServer32";
    RegistryKey server;
    if (!server.Create(HKEY_CLASSES_ROOT, serverKeyPath.c_str())) {
        ShowRegistryError(server.lastError(), serverKeyPath, IDS_REGISTRY_OPEN_FAILED);
        return false;
    }
    if (!server.SetString(nullptr, REG_SZ, modulePath)) {
        ShowRegistryError(server.lastError(), serverKeyPath, IDS_REGISTRY_DEFAULT_VALUE_FAILED);
        return false;
    }
    if (!server.SetString(L"ThreadingModel", REG_SZ, L"Apartment")) {
        ShowRegistryError(server.lastError(), serverKeyPath, IDS_REGISTRY_THREADING_MODEL_FAILED);
        return false;
    }
    return true;
}

HRESULT RegisterServer()
{
    wchar_t classId[40] = {};
    if (!ClassIdText(classId)) {
        ShowRegistrationError(Text(IDS_CLASS_ID_TEXT_FAILED));
        return SELFREG_E_CLASS;
    }
    const wchar_t* const name = CheckedHandlerName();
    if (name[0] == 0) return SELFREG_E_CLASS;

    std::wstring modulePath(32768, L'\0');
    const DWORD length = ::GetModuleFileNameW(moduleInstance, modulePath.data(),
                                              static_cast<DWORD>(modulePath.size()));
    // A full buffer means a cut path, which must not be registered.
    if (length == 0 || length >= modulePath.size()) {
        ShowRegistrationError(Text(IDS_MODULE_PATH_FAILED));
        return E_UNEXPECTED;
    }
    modulePath.resize(length);

    const std::wstring classKeyPath = std::wstring(L"CLSID\\") + classId;
    RegistryKey key;
    if (!WriteDefaultValue(key, classKeyPath, name)) return SELFREG_E_CLASS;
    if (!WriteInProcServer(classKeyPath, modulePath.c_str())) return SELFREG_E_CLASS;
    if (!WriteDefaultValue(key, std::wstring(kFileHandlersKey) + L"\\" + name, classId)) return SELFREG_E_CLASS;
    if (!WriteDefaultValue(key, std::wstring(kFolderHandlersKey) + L"\\" + name, classId)) return SELFREG_E_CLASS;
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
        ShowRegistryError(key.lastError(), parentPath, IDS_REGISTRY_OPEN_FAILED);
        return false;
    }
    const bool removed = wholeTree ? DeleteRegTree(key.handle(), subkey) : DeleteRegKey(key.handle(), subkey);
    const DWORD error = ::GetLastError();
    if (RemovedOrAbsent(removed, error)) return true;
    ShowRegistrationError(SystemErrorText(error) + Text(IDS_REGISTRY_KEY_PREFIX) + parentPath +
                          Text(IDS_REGISTRY_SUBKEY) + subkey + Text(IDS_REGISTRY_DELETE_FAILED));
    return false;
}

HRESULT UnregisterServer()
{
    wchar_t classId[40] = {};
    if (!ClassIdText(classId)) {
        ShowRegistrationError(Text(IDS_CLASS_ID_TEXT_FAILED));
        return S_FALSE;
    }
    RegistryKey key;
    bool complete = RemoveSubkey(key, L"CLSID", classId, /*wholeTree=*/true);
    const wchar_t* const name = CheckedHandlerName();
    if (name[0] == 0) return S_FALSE;
    complete = RemoveSubkey(key, kFileHandlersKey, name, false) && complete;
    complete = RemoveSubkey(key, kFolderHandlersKey, name, false) && complete;
    return complete ? S_OK : S_FALSE;
}

} // namespace

const wchar_t* HandlerDisplayName() noexcept
{
    return TextIn(TextLanguage::Untranslated, IDS_HANDLER_NAME);
}

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
