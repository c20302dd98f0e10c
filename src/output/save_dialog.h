#pragma once
// The common Save dialog for the result file.

#include <windows.h>
#include <commdlg.h>

#include <cstddef>

namespace lumbrix {

inline constexpr DWORD kSaveFileNameUnits = 32768;

// Makes fileName (kSaveFileNameUnits units) the user's Desktop folder followed
// by "\*.txt", or empty when the folder is not recorded.
void SetInitialSaveName(wchar_t* fileName) noexcept;

// Shows the dialog owned by owner, starting from fileName and leaving the
// choice there. False when the user cancels, and when the dialog cannot be
// shown at all (no activation context, no comdlg32).
[[nodiscard]] bool ShowSaveDialog(HWND owner, wchar_t* fileName) noexcept;

// Any Save dialog the module shows: GetSaveFileNameW with the module's
// activation context active. False as ShowSaveDialog.
[[nodiscard]] bool RunSaveDialog(OPENFILENAMEW& dialog) noexcept;

// The file types of the table's text id ("name|pattern|" each) as the dialog
// takes them, each part ended by NUL and the list by a second one, in filter
// (capacity units); null when the table has none or they do not fit.
const wchar_t* DialogFilter(UINT id, wchar_t* filter, std::size_t capacity) noexcept;

} // namespace lumbrix
