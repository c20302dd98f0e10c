#pragma once
// SHA-1 of FIPS 180-1 / RFC 3174, fed in pieces, with the RFC's error states.

#include <cstdint>

namespace lumbrix {

enum Sha1Status : int {
    shaSuccess = 0,
    shaNull,         // a null argument
    shaInputTooLong, // the message reached 2^64 bits: the context is corrupted
    shaStateError,   // input after the result was computed
};

class Sha1 {
public:
    void Init() noexcept;
    Sha1Status Update(const void* data, std::uint32_t size) noexcept;
    // Computes the result and closes the context: later input is a state error.
    Sha1Status Result(std::uint8_t out[20]) noexcept;
    // The 20 digest bytes of the input so far; the running state is kept.
    Sha1Status Digest(std::uint8_t out[20]) const noexcept;
    // Writes 40 upper-case hex digits and a NUL (41 units); returns out.
    wchar_t* HexDigest(wchar_t* out) const noexcept;

private:
    friend struct Sha1TestAccess; // tests preset the length to reach the 2^64-bit limit

    std::uint32_t state_[5];
    std::uint32_t lengthLow_;  // message length in bits, low word
    std::uint32_t lengthHigh_; // high word
    std::uint32_t blockIndex_;
    std::uint8_t block_[64];
    bool computed_;
    Sha1Status corrupted_;
};

} // namespace lumbrix
