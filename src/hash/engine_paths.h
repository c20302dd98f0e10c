#pragma once
// The implementations behind the engines. On first use each engine takes the
// fastest one that this processor runs; every one gives the same results, and
// tests pin each in turn to check that.

namespace lumbrix {

enum class Crc32Path {
    Table,         // slicing tables, any processor
    Clmul,         // PCLMULQDQ folding of 128-bit lanes
    VpclmulAvx2,   // VPCLMULQDQ on 256-bit registers
    VpclmulAvx512, // VPCLMULQDQ on 512-bit registers
    Armv8,         // the ARMv8 CRC32 instructions, three streams at once
};

enum class Sha1Path {
    Portable,      // plain C++, any processor
    Ssse3,         // message schedule four words at a time
    Avx2,          // message schedule of two blocks at once
    ShaExtensions, // the SHA instructions
    Armv8,         // the ARMv8 SHA-1 instructions
};

enum class Sha256Path {
    Portable,      // plain C++, any processor
    ShaExtensions, // the SHA instructions
    Armv8,         // the ARMv8 SHA-256 instructions
};

bool CanRun(Crc32Path path) noexcept;
bool CanRun(Sha1Path path) noexcept;
bool CanRun(Sha256Path path) noexcept;
Crc32Path BestCrc32Path() noexcept;
Sha1Path BestSha1Path() noexcept;
Sha256Path BestSha256Path() noexcept;
Crc32Path ActiveCrc32Path() noexcept;
Sha1Path ActiveSha1Path() noexcept;
Sha256Path ActiveSha256Path() noexcept;

// Every engine of the kind uses the path from now on (for tests and the
// benchmark); false, and nothing changed, when it cannot run here.
bool UseCrc32Path(Crc32Path path) noexcept;
bool UseSha1Path(Sha1Path path) noexcept;
bool UseSha256Path(Sha256Path path) noexcept;

const char* PathName(Crc32Path path) noexcept;
const char* PathName(Sha1Path path) noexcept;
const char* PathName(Sha256Path path) noexcept;

} // namespace lumbrix
