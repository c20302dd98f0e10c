#pragma once
// The one case-insensitive order of the product: the user locale's lstrcmpiW.
// lstrcmpiW also takes some texts that differ in more than letter case as
// equal (it ignores a soft hyphen, for one): where equal means "the same",
// ties are broken by the units as the file system compares names.

#include "job/file_name_case.h"

#include <windows.h>

#include <string>
#include <string_view>

namespace lumbrix {

struct CaseInsensitiveLess {
    bool operator()(const std::wstring& a, const std::wstring& b) const noexcept
    {
        return ::lstrcmpiW(a.c_str(), b.c_str()) < 0;
    }
};

// Unit by unit through the file system's upper-case table, then the shorter
// first: 0 exactly when FileNamesEqual.
inline int CompareFoldedUnits(std::wstring_view a, std::wstring_view b) noexcept
{
    const std::size_t common = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < common; ++i) {
        if (a[i] == b[i]) continue;
        const wchar_t left = FoldFileNameUnit(a[i]);
        const wchar_t right = FoldFileNameUnit(b[i]);
        if (left != right) return left < right ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

// lstrcmpiW's order; two paths are one only when they differ in letter case alone.
struct PathLess {
    bool operator()(const std::wstring& a, const std::wstring& b) const noexcept
    {
        const int order = ::lstrcmpiW(a.c_str(), b.c_str());
        return order != 0 ? order < 0 : CompareFoldedUnits(a, b) < 0;
    }
};

} // namespace lumbrix
