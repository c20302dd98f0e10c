#include "output/save_dialog.h"

#include "common/unique_any.h"
#include "progress/activation_context.h"

#include <commdlg.h>

#include <atomic>

namespace lumbrix {
namespace {

using GetSaveFileNameFunction = BOOL(WINAPI*)(OPENFILENAMEW*);

std::atomic<GetSaveFileNameFunction> getSaveFileName{nullptr};

// comdlg32 is loaded on first use, once per module, and stays loaded: the
// address is reused by every later dialog.
GetSaveFileNameFunction FindGetSaveFileName() noexcept
{
    if (GetSaveFileNameFunction cached = getSaveFileName.load()) return cached;
    UniqueModule library(::LoadLibraryW(L"comdlg32.dll"));
    if (!library) return nullptr;
    const auto found = reinterpret_cast<GetSaveFileNameFunction>(
        reinterpret_cast<void*>(::GetProcAddress(library.get(), "GetSaveFileNameW")));
    if (!found) return nullptr;
    GetSaveFileNameFunction expected = nullptr;
    // A thread that lost the race drops its own reference again.
    if (getSaveFileName.compare_exchange_strong(expected, found)) (void)library.release();
    return getSaveFileName.load();
}

constexpr wchar_t kShellFoldersKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr wchar_t kFilePattern[] = L"\\*.txt";
constexpr DWORD kPatternUnits = sizeof(kFilePattern) / sizeof(wchar_t); // with its NUL

} // namespace

void SetInitialSaveName(wchar_t* fileName) noexcept
{
    fileName[0] = 0;
    UniqueHKey key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kShellFoldersKey, 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
        return;
    // Room is left for the pattern behind the folder.
    DWORD type = 0;
    DWORD bytes = (kSaveFileNameUnits - kPatternUnits) * sizeof(wchar_t);
    if (::RegQueryValueExW(key.get(), L"Desktop", nullptr, &type, reinterpret_cast<BYTE*>(fileName),
                           &bytes) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ && type != REG_MULTI_SZ)) {
        fileName[0] = 0;
        return;
    }
    // The stored text need not be terminated.
    DWORD length = bytes / sizeof(wchar_t);
    fileName[length] = 0;
    length = static_cast<DWORD>(::lstrlenW(fileName));
    if (length == 0) return;
    ::lstrcpynW(fileName + length, kFilePattern, kPatternUnits);
}

bool ShowSaveDialog(HWND owner, wchar_t* fileName) noexcept
{
    const GetSaveFileNameFunction getSaveFileName = FindGetSaveFileName();
    if (!getSaveFileName) return false;
    // The dialog is meant to run with the common controls of the module's manifest.
    ScopedModuleActivation activation;
    if (!activation.Active()) return false;
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = L"テキストファイル (*.txt)\0*.txt\0全てのファイル (*.*)\0*.*\0";
    dialog.nFilterIndex = 0;
    dialog.lpstrFile = fileName;
    dialog.nMaxFile = kSaveFileNameUnits;
    dialog.lpstrTitle = L"Lumbrix64検索結果の保存";
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST |
                   OFN_EXPLORER | OFN_LONGNAMES;
    dialog.lpstrDefExt = L"txt";
    return getSaveFileName(&dialog) != FALSE;
}

} // namespace lumbrix
