#pragma once
// Unsigned counts in LEB128: seven bits a byte, the high bit set on every byte
// but the last. The front-coded lines and the checksum store both keep their
// lengths this way; a 32-bit count takes at most five bytes.

#include <cstddef>

namespace lumbrix {

inline constexpr std::size_t kMostCountBytes = 5;

inline unsigned char* PutCount(unsigned char* at, std::size_t value) noexcept
{
    while (value >= 0x80) {
        *at++ = static_cast<unsigned char>(value | 0x80);
        value >>= 7;
    }
    *at++ = static_cast<unsigned char>(value);
    return at;
}

inline std::size_t GetCount(const unsigned char*& at) noexcept
{
    std::size_t value = 0;
    for (unsigned shift = 0;; shift += 7) {
        const unsigned char byte = *at++;
        value |= std::size_t(byte & 0x7F) << shift;
        if (!(byte & 0x80)) return value;
    }
}

} // namespace lumbrix
