// Built with AVX2 and BMI enabled; chosen only when the processor has them.
#include "hash/sha1_kernels.h"

#if LUMBRIX_HASH_X86
#include "hash/sha1_vector.h"

namespace lumbrix {
namespace {

// Two blocks per vector: the first in the low 128-bit half, the second in the
// high half; the byte shifts and alignments below work within each half.
struct Avx2TwoBlocks {
    using Type = __m256i;
    static constexpr std::size_t kBlocks = 2;
    static Type LoadBigEndian(const std::uint8_t* p0, const std::uint8_t* p1) noexcept
    {
        const __m256i swap = _mm256_setr_epi8(3, 2, 1, 0, 7, 6, 5, 4, 11, 10, 9, 8, 15, 14, 13, 12, 3, 2, 1, 0, 7, 6, 5,
                                              4, 11, 10, 9, 8, 15, 14, 13, 12);
        const __m256i both =
            _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p0))),
                                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(p1)), 1);
        return _mm256_shuffle_epi8(both, swap);
    }
    static void Store(std::uint32_t* p, Type x) noexcept { _mm256_store_si256(reinterpret_cast<__m256i*>(p), x); }
    static Type Xor(Type a, Type b) noexcept { return _mm256_xor_si256(a, b); }
    static Type Add(Type a, Type b) noexcept { return _mm256_add_epi32(a, b); }
    static Type Broadcast(std::uint32_t k) noexcept { return _mm256_set1_epi32(static_cast<int>(k)); }
    static Type Rotl(Type x, int n) noexcept
    {
        return _mm256_or_si256(_mm256_slli_epi32(x, n), _mm256_srli_epi32(x, 32 - n));
    }
    static Type ShiftDownOneWord(Type x) noexcept { return _mm256_srli_si256(x, 4); }
    static Type MoveFirstWordToLast(Type x) noexcept { return _mm256_slli_si256(x, 12); }
    static Type Align(Type hi, Type lo) noexcept { return _mm256_alignr_epi8(hi, lo, 8); }
};

} // namespace

void Sha1BlocksAvx2(std::uint32_t state[5], const std::uint8_t* blocks, std::size_t count) noexcept
{
    Sha1BlocksVector<Avx2TwoBlocks>(state, blocks, count);
}

} // namespace lumbrix
#endif
