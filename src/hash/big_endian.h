#pragma once
// 32-bit words in the big-endian byte order of the SHA family.

#include <cstdint>

namespace lumbrix {

inline std::uint32_t LoadBe32(const std::uint8_t* p) noexcept
{
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | std::uint32_t(p[3]);
}

inline void StoreBe32(std::uint32_t x, std::uint8_t* p) noexcept
{
    p[0] = static_cast<std::uint8_t>(x >> 24);
    p[1] = static_cast<std::uint8_t>(x >> 16);
    p[2] = static_cast<std::uint8_t>(x >> 8);
    p[3] = static_cast<std::uint8_t>(x);
}

} // namespace lumbrix
