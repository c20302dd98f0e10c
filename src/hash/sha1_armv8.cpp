// Built with the ARMv8 SHA instructions enabled; chosen only when the
// processor has them.
#include "hash/sha1_kernels.h"

#if LUMBRIX_HASH_ARM64
#include "hash/armv8_intrinsics.h"

#include <utility>

namespace lumbrix {
namespace {

struct ShaState {
    uint32x4_t abcd;
    std::uint32_t e;
    uint32x4_t msg[4]; // msg[k % 4]: words 4k .. 4k+3 of the schedule, word 4k in lane 0
};

// Rounds 4K .. 4K+3. Group K of the schedule comes from the four before it,
// which the ring still holds: W[K] = su1(su0(W[K-4], W[K-3], W[K-2]), W[K-1]).
template <int K>
inline void Step(ShaState& s, const uint32x4_t (&k)[4]) noexcept
{
    uint32x4_t(&w)[4] = s.msg;
    if constexpr (K >= 4)
        w[K % 4] = vsha1su1q_u32(vsha1su0q_u32(w[K % 4], w[(K + 1) % 4], w[(K + 2) % 4]), w[(K + 3) % 4]);
    const uint32x4_t wk = vaddq_u32(w[K % 4], k[K / 5]);
    const std::uint32_t nextE = vsha1h_u32(vgetq_lane_u32(s.abcd, 0)); // a rotated by 30
    if constexpr (K < 5) {
        s.abcd = vsha1cq_u32(s.abcd, s.e, wk);
    } else if constexpr (K >= 10 && K < 15) {
        s.abcd = vsha1mq_u32(s.abcd, s.e, wk);
    } else {
        s.abcd = vsha1pq_u32(s.abcd, s.e, wk);
    }
    s.e = nextE;
}

template <int... K>
inline void Steps(ShaState& s, const uint32x4_t (&k)[4], std::integer_sequence<int, K...>) noexcept
{
    (Step<K>(s, k), ...);
}

} // namespace

void Sha1BlocksArmv8(std::uint32_t state[5], const std::uint8_t* blocks, std::size_t count) noexcept
{
    const uint32x4_t k[4] = {vdupq_n_u32(0x5A827999u), vdupq_n_u32(0x6ED9EBA1u), vdupq_n_u32(0x8F1BBCDCu),
                             vdupq_n_u32(0xCA62C1D6u)};
    uint32x4_t abcd = vld1q_u32(state);
    std::uint32_t e = state[4];
    for (; count != 0; --count, blocks += 64) {
        ShaState s;
        s.abcd = abcd;
        s.e = e;
        for (int i = 0; i < 4; ++i) s.msg[i] = vreinterpretq_u32_u8(vrev32q_u8(vld1q_u8(blocks + 16 * i)));
        Steps(s, k, std::make_integer_sequence<int, 20>{});
        abcd = vaddq_u32(abcd, s.abcd);
        e += s.e;
    }
    vst1q_u32(state, abcd);
    state[4] = e;
}

} // namespace lumbrix
#endif
