#include "output/save_dialog.h"

#include "common/unique_any.h"
#include "common/activation_context.h"
#include "common/text_table.h"
#include "settings/registry_key.h"

#include <atomic>
#include <cstddef>
#include <iterator>

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
    RegistryKey key(HKEY_CURRENT_USER, kShellFoldersKey, false, false, KEY_READ);
    if (!key.ok()) return;
    const UniqueRegString desktop = key.GetOwnedString(L"Desktop");
    if (!desktop) return;
    // Too long a folder, with the pattern behind it, would not fit the name buffer.
    const int length = ::lstrlenW(desktop.get());
    if (length == 0 || static_cast<DWORD>(length) + kPatternUnits > kSaveFileNameUnits) return;
    ::lstrcpyW(fileName, desktop.get());
    ::lstrcpyW(fileName + length, kFilePattern);
}

bool RunSaveDialog(OPENFILENAMEW& dialog) noexcept
{
    const GetSaveFileNameFunction getSaveFileName = FindGetSaveFileName();
    if (!getSaveFileName) return false;
    // The dialog is meant to run with the common controls of the module's manifest.
    ScopedModuleActivation activation;
    if (!activation.Active()) return false;
    return getSaveFileName(&dialog) != FALSE;
}

const wchar_t* DialogFilter(UINT id, wchar_t* filter, std::size_t capacity) noexcept
{
    const wchar_t* text = Text(id);
    std::size_t length = 0;
    for (; text[length] != 0; ++length) {
        if (length + 2 >= capacity) return nullptr;
        filter[length] = text[length] == L'|' ? L'\0' : text[length];
    }
    if (length == 0) return nullptr;
    filter[length] = 0;
    filter[length + 1] = 0;
    return filter;
}

bool ShowSaveDialog(HWND owner, wchar_t* fileName) noexcept
{
    wchar_t filter[256];
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = DialogFilter(IDS_SAVE_FILTER, filter, std::size(filter));
    dialog.nFilterIndex = 0;
    dialog.lpstrFile = fileName;
    dialog.nMaxFile = kSaveFileNameUnits;
    dialog.lpstrTitle = Text(IDS_SAVE_TITLE);
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST |
                   OFN_EXPLORER | OFN_LONGNAMES;
    dialog.lpstrDefExt = L"txt";
    return RunSaveDialog(dialog);
}

} // namespace lumbrix
