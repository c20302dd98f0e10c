#pragma once
// Names compared as the file system compares them: unit by unit, through the
// system's upper-case table (ordinal, case-insensitive). Unlike lstrcmpiW it
// ignores no character (a soft hyphen still counts) and follows no locale.

#include <cstdint>
#include <string_view>

namespace lumbrix {

// The unit as the file system sees it for comparing.
wchar_t FoldFileNameUnit(wchar_t unit) noexcept;

bool FileNamesEqual(std::wstring_view a, std::wstring_view b) noexcept;

// Whether path lies inside folder, at any depth (folder itself excluded).
// folder may end in a backslash (a drive's root "C:\").
bool IsPathBelow(std::wstring_view path, std::wstring_view folder) noexcept;

// A hash of the folded units: equal names hash alike.
std::uint64_t FileNameHash(std::wstring_view name) noexcept;

} // namespace lumbrix
