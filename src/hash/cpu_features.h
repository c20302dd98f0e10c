#pragma once
// What the processor and the operating system let the digest engines use.

namespace lumbrix {

#if (defined(__x86_64__) || defined(_M_X64)) && !defined(_M_ARM64EC)
#define LUMBRIX_HASH_X86 1
#else
#define LUMBRIX_HASH_X86 0
#endif

#if (defined(__aarch64__) || defined(_M_ARM64)) && !defined(_M_ARM64EC)
#define LUMBRIX_HASH_ARM64 1
#else
#define LUMBRIX_HASH_ARM64 0
#endif

struct CpuFeatures {
    bool ssse3 = false;
    bool sse41 = false;
    bool pclmul = false;
    bool bmi = false;  // BMI1 and BMI2
    bool avx2 = false; // with the OS saving the YMM state
    bool sha = false;
    bool vpclmul = false; // 256-bit carry-less multiply, AVX state saved
    bool avx512 = false;  // AVX-512 F, with the OS saving the ZMM and mask state
    bool armCrc32 = false; // ARMv8 CRC32 instructions
    bool armSha1 = false;  // ARMv8 SHA-1 instructions
    bool armSha2 = false;  // ARMv8 SHA-256 instructions
};

// Read once: on x86-64 from CPUID and XGETBV, on ARM64 from what the system
// reports (Windows' processor features, Linux's hardware capabilities).
const CpuFeatures& DetectCpuFeatures() noexcept;

} // namespace lumbrix
