#include "hash/crc32.h"

#include "hash/crc32_kernels.h"
#include "hash/engine_paths.h"
#include "hash/hex_digits.h"
#include "hash/kernel_dispatch.h"

#include <initializer_list>

namespace lumbrix {
namespace {

// The standard byte table of the reflected polynomial (tables[0]) and seven
// derived ones, so that eight bytes cost eight independent look-ups.
struct Crc32Tables8 {
    std::uint32_t entries[8][256];
    constexpr Crc32Tables8() : entries()
    {
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t r = i;
            for (int bit = 0; bit < 8; ++bit) r = (r >> 1) ^ (0xEDB88320u & (0u - (r & 1u)));
            entries[0][i] = r;
        }
        for (int t = 1; t < 8; ++t)
            for (int i = 0; i < 256; ++i)
                entries[t][i] = (entries[t - 1][i] >> 8) ^ entries[0][entries[t - 1][i] & 0xFF];
    }
};

constexpr Crc32Tables8 kTables;
static_assert(kTables.entries[0][1] == 0x77073096u && kTables.entries[0][255] == 0x2D02EF8Du);

std::uint32_t Le32(const std::uint8_t* p) noexcept
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

using Kernel = std::uint32_t (*)(std::uint32_t, const std::uint8_t*, std::size_t) noexcept;

Kernel KernelFor(Crc32Path path) noexcept
{
#if LUMBRIX_HASH_X86
    switch (path) {
    case Crc32Path::Clmul: return &Crc32Clmul;
    case Crc32Path::VpclmulAvx2: return &Crc32VpclmulAvx2;
    case Crc32Path::VpclmulAvx512: return &Crc32VpclmulAvx512;
    case Crc32Path::Table:
    case Crc32Path::Armv8: break;
    }
#elif LUMBRIX_HASH_ARM64
    if (path == Crc32Path::Armv8) return &Crc32Armv8;
#else
    (void)path;
#endif
    return &Crc32Tables;
}

constinit KernelDispatch<Crc32Path, Kernel> dispatch(&KernelFor, &BestCrc32Path, &CanRun);

Kernel ActiveKernel() noexcept { return dispatch.Active(); }

} // namespace

std::uint32_t Crc32Tables(std::uint32_t reg, const std::uint8_t* data, std::size_t size) noexcept
{
    const auto& t = kTables.entries;
    for (; size >= 8; size -= 8, data += 8) {
        const std::uint32_t lo = Le32(data) ^ reg;
        const std::uint32_t hi = Le32(data + 4);
        reg = t[7][lo & 0xFF] ^ t[6][(lo >> 8) & 0xFF] ^ t[5][(lo >> 16) & 0xFF] ^ t[4][lo >> 24] ^ t[3][hi & 0xFF] ^
              t[2][(hi >> 8) & 0xFF] ^ t[1][(hi >> 16) & 0xFF] ^ t[0][hi >> 24];
    }
    for (; size != 0; --size, ++data) reg = (reg >> 8) ^ t[0][(reg ^ *data) & 0xFF];
    return reg;
}

bool CanRun(Crc32Path path) noexcept
{
    const CpuFeatures& cpu = DetectCpuFeatures();
    switch (path) {
    case Crc32Path::Table: return true;
    case Crc32Path::Clmul: return LUMBRIX_HASH_X86 && cpu.pclmul;
    case Crc32Path::VpclmulAvx2: return LUMBRIX_HASH_X86 && cpu.vpclmul;
    case Crc32Path::VpclmulAvx512: return LUMBRIX_HASH_X86 && cpu.vpclmul && cpu.avx512;
    case Crc32Path::Armv8: return LUMBRIX_HASH_ARM64 && cpu.armCrc32;
    }
    return false;
}

Crc32Path BestCrc32Path() noexcept
{
    for (Crc32Path path : {Crc32Path::VpclmulAvx512, Crc32Path::VpclmulAvx2, Crc32Path::Clmul, Crc32Path::Armv8})
        if (CanRun(path)) return path;
    return Crc32Path::Table;
}

Crc32Path ActiveCrc32Path() noexcept { return dispatch.ActivePath(); }

bool UseCrc32Path(Crc32Path path) noexcept { return dispatch.Use(path); }

const char* PathName(Crc32Path path) noexcept
{
    switch (path) {
    case Crc32Path::Table: return "table";
    case Crc32Path::Clmul: return "pclmul";
    case Crc32Path::VpclmulAvx2: return "vpclmul-avx2";
    case Crc32Path::VpclmulAvx512: return "vpclmul-avx512";
    case Crc32Path::Armv8: return "armv8-crc32";
    }
    return "?";
}

void Crc32::Update(const void* data, std::uint32_t size) noexcept
{
    if (size == 0) return;
    register_ = ActiveKernel()(register_, static_cast<const std::uint8_t*>(data), size);
}

wchar_t* Crc32::HexDigest(wchar_t* out) const noexcept
{
    const std::uint32_t value = Value();
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(value >> 24), static_cast<std::uint8_t>(value >> 16),
                                   static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)};
    return WriteHex(bytes, 4, out);
}

} // namespace lumbrix
