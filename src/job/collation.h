#pragma once
// The one case-insensitive order of the product: the user locale's lstrcmpiW.

#include <windows.h>

#include <string>

namespace lumbrix {

struct CaseInsensitiveLess {
    bool operator()(const std::wstring& a, const std::wstring& b) const noexcept
    {
        return ::lstrcmpiW(a.c_str(), b.c_str()) < 0;
    }
};

} // namespace lumbrix
