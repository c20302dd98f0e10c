#include "job/collation_key.h"

#include <climits>
#include <cstring>

namespace lumbrix {

LCID CollationLocale() noexcept { return ::GetThreadLocale(); }

bool KeysFollowLstrcmpi(LCID locale) noexcept { return SORTIDFROMLCID(locale) == SORT_DEFAULT; }

bool MakeCollationKey(std::wstring_view text, LCID locale, std::string& key)
{
    key.clear();
    return AppendCollationKey(text, locale, key) != 0;
}

std::size_t AppendCollationKey(std::wstring_view text, LCID locale, std::string& keys)
{
    if (text.empty() || text.size() > INT_MAX / 8) return 0;
    constexpr DWORD kFlags = LCMAP_SORTKEY | NORM_IGNORECASE;
    const int length = static_cast<int>(text.size());

    // Most keys fit here, which saves the size query.
    unsigned char inlineKey[2048];
    int bytes = ::LCMapStringW(locale, kFlags, text.data(), length, reinterpret_cast<LPWSTR>(inlineKey),
                               sizeof(inlineKey));
    if (bytes > 0) {
        keys.append(reinterpret_cast<const char*>(inlineKey), static_cast<std::size_t>(bytes));
        return static_cast<std::size_t>(bytes);
    }
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) return 0;
    bytes = ::LCMapStringW(locale, kFlags, text.data(), length, nullptr, 0);
    if (bytes <= 0) return 0;
    const std::size_t start = keys.size();
    keys.resize(start + static_cast<std::size_t>(bytes));
    bytes = ::LCMapStringW(locale, kFlags, text.data(), length, reinterpret_cast<LPWSTR>(keys.data() + start), bytes);
    if (bytes <= 0) {
        keys.resize(start);
        return 0;
    }
    keys.resize(start + static_cast<std::size_t>(bytes));
    return static_cast<std::size_t>(bytes);
}

int CompareCollationKeys(std::string_view a, std::string_view b) noexcept
{
    const std::size_t common = a.size() < b.size() ? a.size() : b.size();
    if (common != 0) {
        const int order = std::memcmp(a.data(), b.data(), common);
        if (order != 0) return order;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

} // namespace lumbrix
