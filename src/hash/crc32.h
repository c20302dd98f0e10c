#pragma once
// CRC-32 of ISO 3309 / ITU-T V.42 (reflected polynomial 0xEDB88320), fed in pieces.

#include <cstdint>

namespace lumbrix {

class Crc32 {
public:
    void Init() noexcept { register_ = 0xFFFFFFFFu; }
    void Update(const void* data, std::uint32_t size) noexcept;
    // The result so far, without disturbing the running state.
    std::uint32_t Value() const noexcept { return ~register_; }
    // Writes 8 upper-case hex digits and a NUL (9 units); returns out.
    wchar_t* HexDigest(wchar_t* out) const noexcept;

private:
    std::uint32_t register_ = 0xFFFFFFFFu;
};

} // namespace lumbrix
