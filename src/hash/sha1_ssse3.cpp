// Built with SSSE3 enabled; chosen only when the processor has it.
#include "hash/sha1_kernels.h"

#if LUMBRIX_HASH_X86
#include "hash/sha1_vector.h"

namespace lumbrix {
namespace {

// One block per vector, word i of the group in lane i.
struct SseOneBlock {
    using Type = __m128i;
    static constexpr std::size_t kBlocks = 1;
    static Type LoadBigEndian(const std::uint8_t* p, const std::uint8_t*) noexcept
    {
        const __m128i swap = _mm_setr_epi8(3, 2, 1, 0, 7, 6, 5, 4, 11, 10, 9, 8, 15, 14, 13, 12);
        return _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), swap);
    }
    static void Store(std::uint32_t* p, Type x) noexcept { _mm_store_si128(reinterpret_cast<__m128i*>(p), x); }
    static Type Xor(Type a, Type b) noexcept { return _mm_xor_si128(a, b); }
    static Type Add(Type a, Type b) noexcept { return _mm_add_epi32(a, b); }
    static Type Broadcast(std::uint32_t k) noexcept { return _mm_set1_epi32(static_cast<int>(k)); }
    static Type Rotl(Type x, int n) noexcept { return _mm_or_si128(_mm_slli_epi32(x, n), _mm_srli_epi32(x, 32 - n)); }
    // Words 1..3 of x in lanes 0..2, zero in lane 3.
    static Type ShiftDownOneWord(Type x) noexcept { return _mm_srli_si128(x, 4); }
    // Word 0 of x in lane 3, zeros elsewhere.
    static Type MoveFirstWordToLast(Type x) noexcept { return _mm_slli_si128(x, 12); }
    // Words 2, 3 of lo then 0, 1 of hi.
    static Type Align(Type hi, Type lo) noexcept { return _mm_alignr_epi8(hi, lo, 8); }
};

} // namespace

void Sha1BlocksSsse3(std::uint32_t state[5], const std::uint8_t* blocks, std::size_t count) noexcept
{
    Sha1BlocksVector<SseOneBlock>(state, blocks, count);
}

} // namespace lumbrix
#endif
