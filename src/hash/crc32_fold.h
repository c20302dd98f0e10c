#pragma once
// CRC-32 by folding with carry-less multiplication, written once for 128-,
// 256- and 512-bit vectors. Included only by the crc32_*clmul*.cpp files, each
// built for its own instruction set. Everything here has internal linkage on
// purpose: a shared inline copy compiled for AVX-512 must never be the one the
// linker keeps for a processor without it.

#include "hash/crc32_kernels.h"

#include <immintrin.h>

#include <cstddef>
#include <cstdint>

namespace lumbrix {
namespace { // NOLINT(google-build-namespaces): see above

// x^n mod P, bit-reflected and shifted left by one bit: the form in which a
// 64-bit half of a reflected lane, multiplied by it, lands n bits further on.
constexpr std::uint64_t XPowModP(unsigned n) noexcept
{
    std::uint32_t r = 0x80000000u; // x^0, reflected
    for (unsigned i = 0; i < n; ++i) r = (r >> 1) ^ (0xEDB88320u & (0u - (r & 1u)));
    return std::uint64_t(r) << 1;
}

// Constants that move a 128-bit lane forward by `bits`: its first half by bits + 32,
// its second by bits - 32 (the halves sit 64 bits apart).
struct FoldPair {
    std::uint64_t first, second;
};
constexpr FoldPair FoldBy(unsigned bits) noexcept { return {XPowModP(bits + 32), XPowModP(bits - 32)}; }

static_assert(FoldBy(512).first == 0x154442BD4u && FoldBy(512).second == 0x1C6E41596u);
static_assert(FoldBy(128).first == 0x1751997D0u && FoldBy(128).second == 0xCCAA009Eu);

// floor(x^64 / P), 33 bits, reflected: the Barrett quotient estimate.
constexpr std::uint64_t BarrettMu() noexcept
{
    constexpr std::uint64_t poly = 0x104C11DB7u; // normal form
    std::uint64_t rem = 0, quotient = 0;
    for (int i = 64; i >= 0; --i) {
        rem = (rem << 1) | (i == 64 ? 1u : 0u);
        if (rem >> 32) {
            rem ^= poly;
            quotient |= std::uint64_t(1) << i;
        }
    }
    std::uint64_t reflected = 0;
    for (int i = 0; i < 33; ++i) reflected |= ((quotient >> i) & 1u) << (32 - i);
    return reflected;
}
constexpr std::uint64_t kReflectedPoly = (std::uint64_t(0xEDB88320u) << 1) | 1u; // P, 33 bits
static_assert(BarrettMu() == 0x1F7011641u);

inline __m128i Pair128(FoldPair k) noexcept
{
    return _mm_set_epi64x(static_cast<long long>(k.second), static_cast<long long>(k.first));
}

inline __m128i Load128(const std::uint8_t* p) noexcept { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

// x moved forward by the distance that k encodes, plus the lane found there.
inline __m128i Fold128(__m128i x, __m128i k, __m128i next) noexcept
{
    return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x00), _mm_clmulepi64_si128(x, k, 0x11)), next);
}

struct Vec128 {
    using Type = __m128i;
    static constexpr std::size_t kBytes = 16;
    static Type Load(const std::uint8_t* p) noexcept { return Load128(p); }
    static Type FromRegister(std::uint32_t reg) noexcept { return _mm_cvtsi32_si128(static_cast<int>(reg)); }
    static Type Xor(Type a, Type b) noexcept { return _mm_xor_si128(a, b); }
    static Type Pair(FoldPair k) noexcept { return Pair128(k); }
    static Type Fold(Type x, Type k, Type next) noexcept { return Fold128(x, k, next); }
    static __m128i Lanes(Type v) noexcept { return v; }
};

#if defined(LUMBRIX_CRC32_FOLD_256)
struct Vec256 {
    using Type = __m256i;
    static constexpr std::size_t kBytes = 32;
    static Type Load(const std::uint8_t* p) noexcept { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
    static Type FromRegister(std::uint32_t reg) noexcept
    {
        return _mm256_setr_epi32(static_cast<int>(reg), 0, 0, 0, 0, 0, 0, 0);
    }
    static Type Xor(Type a, Type b) noexcept { return _mm256_xor_si256(a, b); }
    static Type Pair(FoldPair k) noexcept { return _mm256_broadcastsi128_si256(Pair128(k)); }
    static Type Fold(Type x, Type k, Type next) noexcept
    {
        return _mm256_xor_si256(
            _mm256_xor_si256(_mm256_clmulepi64_epi128(x, k, 0x00), _mm256_clmulepi64_epi128(x, k, 0x11)), next);
    }
    static __m128i Lanes(Type v) noexcept
    {
        constexpr FoldPair by128 = FoldBy(128);
        return Fold128(_mm256_castsi256_si128(v), Pair128(by128), _mm256_extracti128_si256(v, 1));
    }
};
#endif

#if defined(LUMBRIX_CRC32_FOLD_512)
struct Vec512 {
    using Type = __m512i;
    static constexpr std::size_t kBytes = 64;
    static Type Load(const std::uint8_t* p) noexcept { return _mm512_loadu_si512(p); }
    static Type FromRegister(std::uint32_t reg) noexcept
    {
        return _mm512_inserti32x4(_mm512_setzero_si512(), _mm_cvtsi32_si128(static_cast<int>(reg)), 0);
    }
    static Type Xor(Type a, Type b) noexcept { return _mm512_xor_si512(a, b); }
    static Type Pair(FoldPair k) noexcept { return _mm512_broadcast_i32x4(Pair128(k)); }
    static Type Fold(Type x, Type k, Type next) noexcept
    {
        // 0x96: the truth table of a three-way exclusive or.
        return _mm512_ternarylogic_epi64(_mm512_clmulepi64_epi128(x, k, 0x00), _mm512_clmulepi64_epi128(x, k, 0x11),
                                         next, 0x96);
    }
    static __m128i Lanes(Type v) noexcept
    {
        constexpr FoldPair by128 = FoldBy(128), by256 = FoldBy(256), by384 = FoldBy(384);
        __m128i x = Fold128(_mm512_extracti32x4_epi32(v, 2), Pair128(by128), _mm512_extracti32x4_epi32(v, 3));
        x = Fold128(_mm512_extracti32x4_epi32(v, 1), Pair128(by256), x);
        return Fold128(_mm512_extracti32x4_epi32(v, 0), Pair128(by384), x);
    }
};
#endif

// Folds whole groups of four vectors from p (at least one group) into one
// 128-bit lane; the register enters through the first four bytes.
template <class V>
__m128i FoldGroups(std::uint32_t reg, const std::uint8_t*& p, std::size_t& n) noexcept
{
    constexpr std::size_t kGroup = 4 * V::kBytes;
    constexpr unsigned kBits = 8 * V::kBytes;
    typename V::Type a0 = V::Xor(V::Load(p), V::FromRegister(reg));
    typename V::Type a1 = V::Load(p + V::kBytes);
    typename V::Type a2 = V::Load(p + 2 * V::kBytes);
    typename V::Type a3 = V::Load(p + 3 * V::kBytes);
    p += kGroup;
    n -= kGroup;
    constexpr FoldPair byGroup = FoldBy(4 * kBits), by1 = FoldBy(kBits), by2 = FoldBy(2 * kBits),
                       by3 = FoldBy(3 * kBits);
    const typename V::Type kGroupFold = V::Pair(byGroup);
    for (; n >= kGroup; p += kGroup, n -= kGroup) {
        a0 = V::Fold(a0, kGroupFold, V::Load(p));
        a1 = V::Fold(a1, kGroupFold, V::Load(p + V::kBytes));
        a2 = V::Fold(a2, kGroupFold, V::Load(p + 2 * V::kBytes));
        a3 = V::Fold(a3, kGroupFold, V::Load(p + 3 * V::kBytes));
    }
    a3 = V::Fold(a2, V::Pair(by1), a3);
    a3 = V::Fold(a1, V::Pair(by2), a3);
    a3 = V::Fold(a0, V::Pair(by3), a3);
    return V::Lanes(a3);
}

// The register for a 128-bit lane followed by 32 zero bits: 128 -> 64 -> 32
// bits by folding, then a Barrett reduction.
inline std::uint32_t Reduce(__m128i x) noexcept
{
    constexpr FoldPair by128 = FoldBy(128);
    constexpr std::uint64_t by64 = XPowModP(64), mu = BarrettMu();
    const __m128i mask32 = _mm_setr_epi32(-1, 0, 0, 0);
    x = _mm_xor_si128(_mm_srli_si128(x, 8), _mm_clmulepi64_si128(x, Pair128(by128), 0x10));
    x = _mm_xor_si128(
        _mm_srli_si128(x, 4),
        _mm_clmulepi64_si128(_mm_and_si128(x, mask32), _mm_cvtsi64_si128(static_cast<long long>(by64)), 0x00));
    const __m128i barrett = _mm_set_epi64x(static_cast<long long>(mu), static_cast<long long>(kReflectedPoly));
    __m128i t = _mm_and_si128(_mm_clmulepi64_si128(_mm_and_si128(x, mask32), barrett, 0x10), mask32);
    t = _mm_clmulepi64_si128(t, barrett, 0x00);
    return static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(_mm_xor_si128(x, t), 4)));
}

template <class V>
std::uint32_t FoldCrc32(std::uint32_t reg, const std::uint8_t* p, std::size_t n) noexcept
{
    // Below this the tables are as fast as the setup and the reduction.
    if (n < 4 * Vec128::kBytes) return Crc32Tables(reg, p, n);
    __m128i x = n >= 4 * V::kBytes ? FoldGroups<V>(reg, p, n) : FoldGroups<Vec128>(reg, p, n);
    constexpr FoldPair by128 = FoldBy(128);
    for (; n >= 16; p += 16, n -= 16) x = Fold128(x, Pair128(by128), Load128(p));
    return Crc32Tables(Reduce(x), p, n);
}

} // namespace
} // namespace lumbrix
