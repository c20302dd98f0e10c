#include "hash/cpu_features.h"

#include <cstdint>

#if LUMBRIX_HASH_X86
#if defined(_MSC_VER)
#include <intrin.h>
#else
#include <cpuid.h>
#include <immintrin.h> // _xgetbv: this file is built with XSAVE enabled
#endif
#elif LUMBRIX_HASH_ARM64
#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/auxv.h>
#endif
#endif

namespace lumbrix {
namespace {

#if LUMBRIX_HASH_X86
struct CpuidResult {
    std::uint32_t eax, ebx, ecx, edx;
};

CpuidResult Cpuid(std::uint32_t leaf, std::uint32_t subleaf) noexcept
{
#if defined(_MSC_VER)
    int r[4];
    __cpuidex(r, static_cast<int>(leaf), static_cast<int>(subleaf));
    return {static_cast<std::uint32_t>(r[0]), static_cast<std::uint32_t>(r[1]), static_cast<std::uint32_t>(r[2]),
            static_cast<std::uint32_t>(r[3])};
#else
    CpuidResult r{};
    __cpuid_count(leaf, subleaf, r.eax, r.ebx, r.ecx, r.edx);
    return r;
#endif
}

constexpr bool Bit(std::uint32_t word, int bit) noexcept { return (word >> bit) & 1u; }

CpuFeatures Detect() noexcept
{
    CpuFeatures f;
    const std::uint32_t maxLeaf = Cpuid(0, 0).eax;
    if (maxLeaf < 1) return f;
    const CpuidResult leaf1 = Cpuid(1, 0);
    const CpuidResult leaf7 = maxLeaf >= 7 ? Cpuid(7, 0) : CpuidResult{};

    f.ssse3 = Bit(leaf1.ecx, 9);
    f.sse41 = Bit(leaf1.ecx, 19);
    f.pclmul = Bit(leaf1.ecx, 1);
    f.bmi = Bit(leaf7.ebx, 3) && Bit(leaf7.ebx, 8);
    f.sha = Bit(leaf7.ebx, 29);

    // Wide registers are usable only when the OS saves them across thread switches.
    std::uint64_t xcr0 = 0;
    if (Bit(leaf1.ecx, 27)) xcr0 = _xgetbv(0); // OSXSAVE
    const bool ymmState = (xcr0 & 0x6) == 0x6;
    const bool zmmState = (xcr0 & 0xE6) == 0xE6;
    const bool avx = Bit(leaf1.ecx, 28) && ymmState;

    f.avx2 = avx && Bit(leaf7.ebx, 5);
    f.vpclmul = f.avx2 && f.pclmul && Bit(leaf7.ecx, 10);
    f.avx512 = f.avx2 && zmmState && Bit(leaf7.ebx, 16);
    return f;
}
#elif LUMBRIX_HASH_ARM64
CpuFeatures Detect() noexcept
{
    CpuFeatures f;
#if defined(_WIN32)
    // Windows reports the SHA instructions only as part of the crypto extension.
    f.armCrc32 = ::IsProcessorFeaturePresent(PF_ARM_V8_CRC32_INSTRUCTIONS_AVAILABLE) != FALSE;
    f.armSha1 = f.armSha2 = ::IsProcessorFeaturePresent(PF_ARM_V8_CRYPTO_INSTRUCTIONS_AVAILABLE) != FALSE;
#else
    const unsigned long hwcap = ::getauxval(AT_HWCAP);
    f.armCrc32 = (hwcap & HWCAP_CRC32) != 0;
    f.armSha1 = (hwcap & HWCAP_SHA1) != 0;
    f.armSha2 = (hwcap & HWCAP_SHA2) != 0;
#endif
    return f;
}
#else
CpuFeatures Detect() noexcept { return {}; }
#endif

} // namespace

const CpuFeatures& DetectCpuFeatures() noexcept
{
    static const CpuFeatures features = Detect();
    return features;
}

} // namespace lumbrix
