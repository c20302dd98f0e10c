// Built with PCLMULQDQ enabled; chosen only when the processor has it.
#include "hash/crc32_kernels.h"

#if LUMBRIX_HASH_X86
#include "hash/crc32_fold.h"

namespace lumbrix {

std::uint32_t Crc32Clmul(std::uint32_t reg, const std::uint8_t* data, std::size_t size) noexcept
{
    return FoldCrc32<Vec128>(reg, data, size);
}

} // namespace lumbrix
#endif
