#pragma once
// SHA-1 with the message schedule computed four words at a time in vector
// registers, for one block per 128-bit vector (SSSE3) or two blocks per 256-bit
// vector (AVX2), while the scalar rounds run. The schedule of the next blocks
// is interleaved with the rounds of the current ones, so that the two kinds of
// work overlap. Included only by sha1_ssse3.cpp and sha1_avx2.cpp; internal
// linkage on purpose (see sha1_rounds.h).

#include "hash/sha1_rounds.h"

#include <immintrin.h>

#include <cstddef>
#include <cstdint>
#include <utility>

namespace lumbrix {
namespace { // NOLINT(google-build-namespaces): see sha1_rounds.h

// Schedule of the blocks being prepared: the last eight groups of four words
// W[4g .. 4g+3], group g in slot g % 8.
template <class V>
struct Schedule {
    typename V::Type w[8];
};

// Group G (words 4G .. 4G+3) of the blocks at b0 (and b1), stored with the
// round constant added at wk + G * 4 * V::kBlocks.
template <class V, int G>
LUMBRIX_FORCE_INLINE void ScheduleGroup(Schedule<V>& s, const std::uint8_t* b0, const std::uint8_t* b1,
                                       std::uint32_t* wk) noexcept
{
    using T = typename V::Type;
    T x;
    if constexpr (G < 4) {
        x = V::LoadBigEndian(b0 + 16 * G, b1 + 16 * G);
    } else if constexpr (G < 8) {
        // W[t] = rotl1(W[t-3] ^ W[t-8] ^ W[t-14] ^ W[t-16]), t = 4G .. 4G+3. The
        // last word needs W[t] of this same group: computed with 0 in its place,
        // then patched with rotl1(W[t]) = rotl2 of lane 0 before the rotation.
        const T minus3 = V::ShiftDownOneWord(s.w[(G - 1) % 8]);
        const T minus14 = V::Align(s.w[(G - 3) % 8], s.w[(G - 4) % 8]);
        const T sum = V::Xor(V::Xor(minus3, s.w[(G - 2) % 8]), V::Xor(minus14, s.w[(G - 4) % 8]));
        x = V::Xor(V::Rotl(sum, 1), V::Rotl(V::MoveFirstWordToLast(sum), 2));
    } else {
        // From t = 32 on: W[t] = rotl2(W[t-6] ^ W[t-16] ^ W[t-28] ^ W[t-32]),
        // which has no dependence inside the group.
        const T minus6 = V::Align(s.w[(G - 1) % 8], s.w[(G - 2) % 8]);
        const T sum = V::Xor(V::Xor(minus6, s.w[(G - 4) % 8]), V::Xor(s.w[(G - 7) % 8], s.w[G % 8]));
        x = V::Rotl(sum, 2);
    }
    s.w[G % 8] = x;
    V::Store(wk + G * 4 * V::kBlocks, V::Add(x, V::Broadcast(kSha1K[G / 5])));
}

template <class V, int... G>
LUMBRIX_FORCE_INLINE void ScheduleAll(Schedule<V>& s, const std::uint8_t* b0, const std::uint8_t* b1, std::uint32_t* wk,
                                     std::integer_sequence<int, G...>) noexcept
{
    (ScheduleGroup<V, G>(s, b0, b1, wk), ...);
}

// Rounds First .. First+Count-1 of block Lane, reading its words from wk.
template <class V, int Lane, int First, int... K>
LUMBRIX_FORCE_INLINE void Rounds(std::uint32_t (&v)[5], const std::uint32_t* wk,
                                std::integer_sequence<int, K...>) noexcept
{
    (Sha1Round<First + K>(v, wk[(First + K) / 4 * 4 * V::kBlocks + Lane * 4 + (First + K) % 4]), ...);
}

// One step: 4 * kBlocks rounds of the current blocks, then (when there are
// next blocks) one group of their schedule. 20 steps cover all 80 rounds of
// every block and all 20 groups of the next ones.
template <class V, bool Next, int Lane, int S>
LUMBRIX_FORCE_INLINE void Step(std::uint32_t (&v)[5], const std::uint32_t* wk, Schedule<V>& s, const std::uint8_t* n0,
                              const std::uint8_t* n1, std::uint32_t* nextWk) noexcept
{
    constexpr int kRounds = 4 * V::kBlocks;
    constexpr int kGroup = Lane * (80 / kRounds) + S;
    Rounds<V, Lane, S * kRounds>(v, wk, std::make_integer_sequence<int, kRounds>{});
    if constexpr (Next) ScheduleGroup<V, kGroup>(s, n0, n1, nextWk);
}

template <class V, bool Next, int Lane, int... S>
LUMBRIX_FORCE_INLINE void LaneSteps(std::uint32_t state[5], const std::uint32_t* wk, Schedule<V>& s,
                                   const std::uint8_t* n0, const std::uint8_t* n1, std::uint32_t* nextWk,
                                   std::integer_sequence<int, S...>) noexcept
{
    std::uint32_t v[5] = {state[0], state[1], state[2], state[3], state[4]};
    (Step<V, Next, Lane, S>(v, wk, s, n0, n1, nextWk), ...);
    for (int i = 0; i < 5; ++i) state[i] += v[i];
}

template <class V, bool Next>
LUMBRIX_FORCE_INLINE void Blocks(std::uint32_t state[5], std::size_t lanes, const std::uint32_t* wk, Schedule<V>& s,
                                const std::uint8_t* n0, const std::uint8_t* n1, std::uint32_t* nextWk) noexcept
{
    constexpr int kSteps = 80 / (4 * V::kBlocks);
    LaneSteps<V, Next, 0>(state, wk, s, n0, n1, nextWk, std::make_integer_sequence<int, kSteps>{});
    if constexpr (V::kBlocks == 2) {
        if (lanes == 2) LaneSteps<V, Next, 1>(state, wk, s, n0, n1, nextWk, std::make_integer_sequence<int, kSteps>{});
    }
}

template <class V>
void Sha1BlocksVector(std::uint32_t state[5], const std::uint8_t* p, std::size_t count) noexcept
{
    constexpr std::size_t kBlocks = V::kBlocks;
    if (count == 0) return;
    alignas(32) std::uint32_t wk[2][80 * kBlocks];
    Schedule<V> s;
    // A missing second block is read as the first again; its rounds are skipped.
    const auto second = [](const std::uint8_t* q, std::size_t left) { return left > 1 ? q + 64 : q; };
    ScheduleAll<V>(s, p, second(p, count), wk[0], std::make_integer_sequence<int, 20>{});
    for (int cur = 0;; cur ^= 1) {
        const std::size_t here = count < kBlocks ? count : kBlocks;
        count -= here;
        p += 64 * here;
        if (count == 0) {
            Blocks<V, false>(state, here, wk[cur], s, nullptr, nullptr, nullptr);
            return;
        }
        Blocks<V, true>(state, here, wk[cur], s, p, second(p, count), wk[cur ^ 1]);
    }
}

} // namespace
} // namespace lumbrix
