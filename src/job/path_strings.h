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

} // namespace lumbrix
