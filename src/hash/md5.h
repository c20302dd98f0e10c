#pragma once
// MD5 of RFC 1321, fed in pieces.

#include <cstdint>

namespace lumbrix {

class Md5 {
public:
    void Init() noexcept;
    void Update(const void* data, std::uint32_t size) noexcept;
    // The 16 digest bytes of the input so far; the running state is kept.
    void Digest(std::uint8_t out[16]) const noexcept;
    // Writes 32 upper-case hex digits and a NUL (33 units); returns out.
    wchar_t* HexDigest(wchar_t* out) const noexcept;

private:
    std::uint32_t state_[4];
    std::uint64_t byteCount_;
    std::uint8_t block_[64];
};

} // namespace lumbrix
