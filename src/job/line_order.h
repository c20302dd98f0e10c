#pragma once
// The order of result lines: by their collation keys, which order texts
// exactly as lstrcmpiW does (the collation tests prove it on the platform);
// a line without a key meets the others through lstrcmpiW itself. Lines that
// lstrcmpiW takes as equal are one line only when they are the same: texts
// that differ in letter case alone, and the same file or none. The ties are
// ordered by the text's units as the file system folds them, then by the file.

#include "job/collation.h"
#include "job/collation_key.h"

#include <windows.h>

#include <string_view>

namespace lumbrix {

struct OrderedLine {
    std::string_view key;  // empty when the line has none
    const wchar_t* text;   // terminated, for lstrcmpiW
    std::size_t length;    // of text
    std::wstring_view source; // the file the line stands for; empty for none
};

// 0 only for the same line.
inline int CompareLines(const OrderedLine& a, const OrderedLine& b) noexcept
{
    int order = !a.key.empty() && !b.key.empty() ? CompareCollationKeys(a.key, b.key) : ::lstrcmpiW(a.text, b.text);
    if (order == 0) order = CompareFoldedUnits(std::wstring_view(a.text, a.length), std::wstring_view(b.text, b.length));
    if (order == 0) order = CompareFoldedUnits(a.source, b.source);
    return order;
}

} // namespace lumbrix
