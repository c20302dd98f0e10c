// Built with the SHA extensions (and SSE4.1) enabled; chosen only when the
// processor has them.
#include "hash/sha1_kernels.h"

#if LUMBRIX_HASH_X86
#include <immintrin.h>

#include <utility>

namespace lumbrix {
namespace {

// Message groups W[4k .. 4k+3] in the byte order the instructions take: word
// 4k in the high lane.
struct ShaState {
    __m128i abcd;
    __m128i e[2]; // e[k % 2]: E for step k, and the saved ABCD that becomes the next E
    __m128i msg[4];
};

// Rounds 4K .. 4K+3, and the part of the schedule that falls on this step:
// W[j] = msg2(msg1(W[j-4], W[j-3]) ^ W[j-2], W[j-1]) for groups 4..19, spread
// over the steps that first have each input.
template <int K>
inline void Step(ShaState& s) noexcept
{
    __m128i& e = s.e[K % 2];
    __m128i& next = s.e[(K + 1) % 2];
    if constexpr (K == 0) {
        e = _mm_add_epi32(e, s.msg[0]);
    } else {
        e = _mm_sha1nexte_epu32(e, s.msg[K % 4]);
    }
    next = s.abcd;
    if constexpr (K >= 3 && K <= 18) s.msg[(K + 1) % 4] = _mm_sha1msg2_epu32(s.msg[(K + 1) % 4], s.msg[K % 4]);
    s.abcd = _mm_sha1rnds4_epu32(s.abcd, e, K / 5);
    if constexpr (K >= 1 && K <= 16) s.msg[(K + 3) % 4] = _mm_sha1msg1_epu32(s.msg[(K + 3) % 4], s.msg[K % 4]);
    if constexpr (K >= 2 && K <= 17) s.msg[(K + 2) % 4] = _mm_xor_si128(s.msg[(K + 2) % 4], s.msg[K % 4]);
}

template <int... K>
inline void Steps(ShaState& s, std::integer_sequence<int, K...>) noexcept
{
    (Step<K>(s), ...);
}

} // namespace

void Sha1BlocksShaExtensions(std::uint32_t state[5], const std::uint8_t* blocks, std::size_t count) noexcept
{
    const __m128i wordsReversed = _mm_set_epi64x(0x0001020304050607LL, 0x08090A0B0C0D0E0FLL);
    __m128i abcd = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(state)), 0x1B);
    __m128i e = _mm_set_epi32(static_cast<int>(state[4]), 0, 0, 0);
    for (; count != 0; --count, blocks += 64) {
        ShaState s;
        s.abcd = abcd;
        s.e[0] = e;
        const auto* words = reinterpret_cast<const __m128i*>(blocks);
        s.msg[0] = _mm_shuffle_epi8(_mm_loadu_si128(words), wordsReversed);
        s.msg[1] = _mm_shuffle_epi8(_mm_loadu_si128(words + 1), wordsReversed);
        s.msg[2] = _mm_shuffle_epi8(_mm_loadu_si128(words + 2), wordsReversed);
        s.msg[3] = _mm_shuffle_epi8(_mm_loadu_si128(words + 3), wordsReversed);
        Steps(s, std::make_integer_sequence<int, 20>{});
        // After step 19 the saved ABCD sits in e[0]; its rotation gives the new E.
        e = _mm_sha1nexte_epu32(s.e[0], e);
        abcd = _mm_add_epi32(s.abcd, abcd);
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(state), _mm_shuffle_epi32(abcd, 0x1B));
    state[4] = static_cast<std::uint32_t>(_mm_extract_epi32(e, 3));
}

} // namespace lumbrix
#endif
