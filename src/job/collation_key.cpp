#include "job/collation_key.h"

#include <climits>
#include <cstdint>
#include <cstring>

namespace lumbrix {
namespace {

// The first byte in memory becomes the most significant: Windows runs little-endian.
std::uint64_t ByteSwap(std::uint64_t value) noexcept
{
    value = ((value & 0x00FF00FF00FF00FFull) << 8) | ((value >> 8) & 0x00FF00FF00FF00FFull);
    value = ((value & 0x0000FFFF0000FFFFull) << 16) | ((value >> 16) & 0x0000FFFF0000FFFFull);
    return (value << 32) | (value >> 32);
}

} // namespace

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
    // Keys of neighbouring paths share most of their bytes: compared eight at
    // a time, in the byte order that memcmp would follow.
    const std::size_t common = a.size() < b.size() ? a.size() : b.size();
    std::size_t at = 0;
    for (; at + 8 <= common; at += 8) {
        std::uint64_t left, right;
        std::memcpy(&left, a.data() + at, 8);
        std::memcpy(&right, b.data() + at, 8);
        if (left != right) return ByteSwap(left) < ByteSwap(right) ? -1 : 1;
    }
    for (; at < common; ++at) {
        const auto left = static_cast<unsigned char>(a[at]);
        const auto right = static_cast<unsigned char>(b[at]);
        if (left != right) return left < right ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

} // namespace lumbrix
