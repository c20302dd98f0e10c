#pragma once
// Pure string forms of paths; no system calls, portable.

#include <cstdint>
#include <string>
#include <string_view>

namespace lumbrix {

bool IsDriveRoot(std::wstring_view path) noexcept;
std::wstring ParentPart(const std::wstring& path);
std::wstring NamePart(const std::wstring& path);
std::wstring StripFirstComponent(const std::wstring& rel);
std::wstring JoinPath(const std::wstring& a, const std::wstring& b);
std::wstring DoubleBackslashes(const std::wstring& s);
std::wstring ToFileUrl(const std::wstring& s);
std::wstring PercentEncode(const std::wstring& s);
std::wstring FormatGrouped(std::int64_t n);
// Each control character U+0001 to U+001F becomes its picture U+2401 to
// U+241F (TAB ␉, LF ␊, CR ␍), so that a name that holds one never splits
// its line or a column of the text.
void ReplaceControlCharacters(std::wstring& s) noexcept;
// path without the backslashes at its end, except the one of a drive's root
// (C:\): C:\Data\ names the folder C:\Data, \\srv\share\ the share.
std::wstring WithoutTrailingBackslashes(std::wstring path);

} // namespace lumbrix
