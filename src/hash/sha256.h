#pragma once
// SHA-256 of FIPS 180-4, fed in pieces.

#include <cstdint>

namespace lumbrix {

class Sha256 {
public:
    void Init() noexcept;
    void Update(const void* data, std::uint32_t size) noexcept;
    // The 32 digest bytes of the input so far; the running state is kept.
    void Digest(std::uint8_t out[32]) const noexcept;
    // Writes 64 upper-case hex digits and a NUL (65 units); returns out.
    wchar_t* HexDigest(wchar_t* out) const noexcept;

private:
    std::uint32_t state_[8];
    std::uint64_t byteCount_;
    std::uint8_t block_[64];
};

} // namespace lumbrix
