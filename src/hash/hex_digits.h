#pragma once
// Upper-case hexadecimal text of digest bytes.

#include <cstddef>
#include <cstdint>

namespace lumbrix {

inline wchar_t* WriteHex(const std::uint8_t* bytes, std::size_t count, wchar_t* out) noexcept
{
    static constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
    for (std::size_t i = 0; i < count; ++i) {
        out[2 * i] = kDigits[bytes[i] >> 4];
        out[2 * i + 1] = kDigits[bytes[i] & 0xF];
    }
    out[2 * count] = 0;
    return out;
}

} // namespace lumbrix
