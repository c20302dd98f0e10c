// Built with the SHA extensions (and SSE4.1) enabled; chosen only when the
// processor has them.
#include "hash/sha256_kernels.h"

#if LUMBRIX_HASH_X86
#include <immintrin.h>

#include <utility>

namespace lumbrix {
namespace {

// The working words as the round instruction takes them: A, B, E, F and C, D,
// G, H, each from the high lane down. Message groups W[4k .. 4k+3] with word
// 4k in the low lane.
struct ShaState {
    __m128i abef;
    __m128i cdgh;
    __m128i msg[4];
};

// Rounds 4K .. 4K+3, then group K+4 of the schedule, which replaces group K:
// W[j] = msg2(msg1(W[j-16], W[j-15]) + W[j-7], W[j-2]) four words at a time.
template <int K>
inline void Step(ShaState& s) noexcept
{
    __m128i& group = s.msg[K % 4];
    const __m128i wk = _mm_add_epi32(group, _mm_load_si128(reinterpret_cast<const __m128i*>(kSha256K + 4 * K)));
    s.cdgh = _mm_sha256rnds2_epu32(s.cdgh, s.abef, wk);
    s.abef = _mm_sha256rnds2_epu32(s.abef, s.cdgh, _mm_shuffle_epi32(wk, 0x0E));
    if constexpr (K < 12) {
        const __m128i& next = s.msg[(K + 1) % 4];
        const __m128i& twoOn = s.msg[(K + 2) % 4];
        const __m128i& last = s.msg[(K + 3) % 4];
        const __m128i partial = _mm_add_epi32(_mm_sha256msg1_epu32(group, next), _mm_alignr_epi8(last, twoOn, 4));
        group = _mm_sha256msg2_epu32(partial, last);
    }
}

template <int... K>
inline void Steps(ShaState& s, std::integer_sequence<int, K...>) noexcept
{
    (Step<K>(s), ...);
}

} // namespace

void Sha256BlocksShaExtensions(std::uint32_t state[8], const std::uint8_t* blocks, std::size_t count) noexcept
{
    const __m128i wordsSwapped = _mm_set_epi64x(0x0C0D0E0F08090A0BLL, 0x0405060700010203LL);
    // From a b c d | e f g h to the instruction's F E B A | H G D C, low lane
    // first, through b a d c and h g f e.
    const __m128i badc = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(state)), 0xB1);
    const __m128i hgfe = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(state + 4)), 0x1B);
    __m128i abef = _mm_alignr_epi8(badc, hgfe, 8);
    __m128i cdgh = _mm_blend_epi16(hgfe, badc, 0xF0);
    for (; count != 0; --count, blocks += 64) {
        ShaState s;
        s.abef = abef;
        s.cdgh = cdgh;
        const auto* words = reinterpret_cast<const __m128i*>(blocks);
        s.msg[0] = _mm_shuffle_epi8(_mm_loadu_si128(words), wordsSwapped);
        s.msg[1] = _mm_shuffle_epi8(_mm_loadu_si128(words + 1), wordsSwapped);
        s.msg[2] = _mm_shuffle_epi8(_mm_loadu_si128(words + 2), wordsSwapped);
        s.msg[3] = _mm_shuffle_epi8(_mm_loadu_si128(words + 3), wordsSwapped);
        Steps(s, std::make_integer_sequence<int, 16>{});
        abef = _mm_add_epi32(s.abef, abef);
        cdgh = _mm_add_epi32(s.cdgh, cdgh);
    }
    // And back: a b e f and g h c d, low lane first, make a b c d | e f g h.
    const __m128i front = _mm_shuffle_epi32(abef, 0x1B);
    const __m128i back = _mm_shuffle_epi32(cdgh, 0xB1);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(state), _mm_blend_epi16(front, back, 0xF0));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(state + 4), _mm_alignr_epi8(back, front, 8));
}

} // namespace lumbrix
#endif
