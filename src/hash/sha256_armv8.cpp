// Built with the ARMv8 SHA instructions enabled; chosen only when the
// processor has them.
#include "hash/sha256_kernels.h"

#if LUMBRIX_HASH_ARM64
#include "hash/armv8_intrinsics.h"

#include <utility>

namespace lumbrix {
namespace {

struct ShaState {
    uint32x4_t abcd;
    uint32x4_t efgh;
    uint32x4_t msg[4]; // msg[k % 4]: words 4k .. 4k+3 of the schedule, word 4k in lane 0
};

// Rounds 4K .. 4K+3. Group K of the schedule comes from the four before it,
// which the ring still holds: W[K] = su1(su0(W[K-4], W[K-3]), W[K-2], W[K-1]).
template <int K>
inline void Step(ShaState& s) noexcept
{
    uint32x4_t(&w)[4] = s.msg;
    if constexpr (K >= 4)
        w[K % 4] = vsha256su1q_u32(vsha256su0q_u32(w[K % 4], w[(K + 1) % 4]), w[(K + 2) % 4], w[(K + 3) % 4]);
    const uint32x4_t wk = vaddq_u32(w[K % 4], vld1q_u32(kSha256K + 4 * K));
    const uint32x4_t abcd = s.abcd;
    s.abcd = vsha256hq_u32(abcd, s.efgh, wk);
    s.efgh = vsha256h2q_u32(s.efgh, abcd, wk);
}

template <int... K>
inline void Steps(ShaState& s, std::integer_sequence<int, K...>) noexcept
{
    (Step<K>(s), ...);
}

} // namespace

void Sha256BlocksArmv8(std::uint32_t state[8], const std::uint8_t* blocks, std::size_t count) noexcept
{
    uint32x4_t abcd = vld1q_u32(state);
    uint32x4_t efgh = vld1q_u32(state + 4);
    for (; count != 0; --count, blocks += 64) {
        ShaState s;
        s.abcd = abcd;
        s.efgh = efgh;
        for (int i = 0; i < 4; ++i) s.msg[i] = vreinterpretq_u32_u8(vrev32q_u8(vld1q_u8(blocks + 16 * i)));
        Steps(s, std::make_integer_sequence<int, 16>{});
        abcd = vaddq_u32(abcd, s.abcd);
        efgh = vaddq_u32(efgh, s.efgh);
    }
    vst1q_u32(state, abcd);
    vst1q_u32(state + 4, efgh);
}

} // namespace lumbrix
#endif
