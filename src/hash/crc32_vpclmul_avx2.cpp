// Built with AVX2 and VPCLMULQDQ enabled; chosen only when the processor has them.
#include "hash/crc32_kernels.h"

#if LUMBRIX_HASH_X86
#define LUMBRIX_CRC32_FOLD_256
#include "hash/crc32_fold.h"

namespace lumbrix {

std::uint32_t Crc32VpclmulAvx2(std::uint32_t reg, const std::uint8_t* data, std::size_t size) noexcept
{
    return FoldCrc32<Vec256>(reg, data, size);
}

} // namespace lumbrix
#endif
