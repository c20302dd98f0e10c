#pragma once
// The 80 scalar SHA-1 rounds, each taking its message word with the round
// constant already added. Shared by the portable and the vector-schedule
// kernels, which are built for different instruction sets: internal linkage on
// purpose, so that no copy built for one set stands in for another's.

#include "hash/force_inline.h"

#include <cstdint>

namespace lumbrix {
namespace { // NOLINT(google-build-namespaces): see above

constexpr std::uint32_t kSha1K[4] = {0x5A827999u, 0x6ED9EBA1u, 0x8F1BBCDCu, 0xCA62C1D6u};

inline std::uint32_t Rotl32(std::uint32_t x, int n) noexcept { return (x << n) | (x >> (32 - n)); }

// Round I of a block on the working words v. The names rotate through v
// instead of the words moving: after round I, v[(4 - I) % 5] holds the new a.
template <int I>
LUMBRIX_FORCE_INLINE void Sha1Round(std::uint32_t (&v)[5], std::uint32_t wk) noexcept
{
    constexpr int r = I % 5;
    std::uint32_t& a = v[(5 - r) % 5];
    std::uint32_t& b = v[(6 - r) % 5];
    std::uint32_t& c = v[(7 - r) % 5];
    std::uint32_t& d = v[(8 - r) % 5];
    std::uint32_t& e = v[(9 - r) % 5];
    // Everything that does not wait for a (the word finished by the previous
    // round) goes into e first; rotl(a, 5) joins last.
    e += wk;
    if constexpr (I < 20) {
        e += d ^ (b & (c ^ d));
    } else if constexpr (I < 40 || I >= 60) {
        e += b ^ c ^ d;
    } else {
        // Majority; its two halves have no bit in common.
        e += b & c;
        e += d & (b ^ c);
    }
    e += Rotl32(a, 5);
    b = Rotl32(b, 30);
}

} // namespace
} // namespace lumbrix
