#pragma once
// The order of result lines: by their collation keys, which order texts
// exactly as lstrcmpiW does (the collation tests prove it on the platform);
// a line without a key meets the others through lstrcmpiW itself.

#include "job/collation_key.h"

#include <windows.h>

#include <string_view>

namespace lumbrix {

// text is terminated; key is empty when the line has none.
inline int CompareLines(std::string_view keyA, const wchar_t* textA, std::string_view keyB,
                        const wchar_t* textB) noexcept
{
    if (!keyA.empty() && !keyB.empty()) return CompareCollationKeys(keyA, keyB);
    return ::lstrcmpiW(textA, textB);
}

} // namespace lumbrix
