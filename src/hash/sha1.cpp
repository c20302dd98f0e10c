#include "hash/sha1.h"

#include "hash/hex_digits.h"

#include <cstring>

namespace lumbrix {
namespace {

constexpr std::uint32_t Rotl(std::uint32_t x, int n) noexcept { return (x << n) | (x >> (32 - n)); }

void Compress(std::uint32_t state[5], const std::uint8_t* block) noexcept
{
    std::uint32_t w[80];
    for (int i = 0; i < 16; ++i)
        w[i] = std::uint32_t(block[4 * i]) << 24 | std::uint32_t(block[4 * i + 1]) << 16 |
               std::uint32_t(block[4 * i + 2]) << 8 | std::uint32_t(block[4 * i + 3]);
    for (int i = 16; i < 80; ++i) w[i] = Rotl(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
    std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3], e = state[4];
    for (int i = 0; i < 80; ++i) {
        std::uint32_t f, k;
        if (i < 20) {
            f = (b & c) | (~b & d);
            k = 0x5A827999u;
        } else if (i < 40) {
            f = b ^ c ^ d;
            k = 0x6ED9EBA1u;
        } else if (i < 60) {
            f = (b & c) | (b & d) | (c & d);
            k = 0x8F1BBCDCu;
        } else {
            f = b ^ c ^ d;
            k = 0xCA62C1D6u;
        }
        const std::uint32_t t = Rotl(a, 5) + f + e + k + w[i];
        e = d;
        d = c;
        c = Rotl(b, 30);
        b = a;
        a = t;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
    state[4] += e;
}

} // namespace

void Sha1::Init() noexcept
{
    state_[0] = 0x67452301u;
    state_[1] = 0xEFCDAB89u;
    state_[2] = 0x98BADCFEu;
    state_[3] = 0x10325476u;
    state_[4] = 0xC3D2E1F0u;
    lengthLow_ = lengthHigh_ = 0;
    blockIndex_ = 0;
    std::memset(block_, 0, sizeof(block_));
    computed_ = false;
    corrupted_ = shaSuccess;
}

Sha1Status Sha1::Update(const void* data, std::uint32_t size) noexcept
{
    if (size == 0) return shaSuccess;
    if (!data) return shaNull;
    if (computed_) return corrupted_ = shaStateError;
    if (corrupted_ != shaSuccess) return corrupted_;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    const std::uint64_t bits = (std::uint64_t(lengthHigh_) << 32 | lengthLow_);
    const std::uint64_t added = std::uint64_t(size) * 8;
    if (bits + added < bits) return corrupted_ = shaInputTooLong;
    lengthLow_ = static_cast<std::uint32_t>(bits + added);
    lengthHigh_ = static_cast<std::uint32_t>((bits + added) >> 32);
    if (blockIndex_ != 0) {
        const std::uint32_t take = size < 64 - blockIndex_ ? size : 64 - blockIndex_;
        std::memcpy(block_ + blockIndex_, bytes, take);
        blockIndex_ += take;
        bytes += take;
        size -= take;
        if (blockIndex_ < 64) return shaSuccess;
        Compress(state_, block_);
        blockIndex_ = 0;
    }
    for (; size >= 64; size -= 64, bytes += 64) Compress(state_, bytes);
    std::memcpy(block_, bytes, size);
    blockIndex_ = size;
    return shaSuccess;
}

Sha1Status Sha1::Digest(std::uint8_t out[20]) const noexcept
{
    if (!out) return shaNull;
    if (corrupted_ != shaSuccess) return corrupted_;
    Sha1 closing = *this;
    if (!computed_) {
        closing.computed_ = false;
        const std::uint8_t length[8] = {
            static_cast<std::uint8_t>(lengthHigh_ >> 24), static_cast<std::uint8_t>(lengthHigh_ >> 16),
            static_cast<std::uint8_t>(lengthHigh_ >> 8), static_cast<std::uint8_t>(lengthHigh_),
            static_cast<std::uint8_t>(lengthLow_ >> 24), static_cast<std::uint8_t>(lengthLow_ >> 16),
            static_cast<std::uint8_t>(lengthLow_ >> 8), static_cast<std::uint8_t>(lengthLow_)};
        closing.block_[closing.blockIndex_++] = 0x80;
        if (closing.blockIndex_ > 56) {
            std::memset(closing.block_ + closing.blockIndex_, 0, 64 - closing.blockIndex_);
            Compress(closing.state_, closing.block_);
            closing.blockIndex_ = 0;
        }
        std::memset(closing.block_ + closing.blockIndex_, 0, 56 - closing.blockIndex_);
        std::memcpy(closing.block_ + 56, length, 8);
        Compress(closing.state_, closing.block_);
    }
    for (int i = 0; i < 20; ++i) out[i] = static_cast<std::uint8_t>(closing.state_[i / 4] >> (24 - 8 * (i % 4)));
    return shaSuccess;
}

Sha1Status Sha1::Result(std::uint8_t out[20]) noexcept
{
    const Sha1Status status = Digest(out);
    if (status != shaSuccess) return status;
    if (!computed_) {
        // Keep the final chaining value so that later Result calls give the same bytes.
        for (int i = 0; i < 5; ++i)
            state_[i] = std::uint32_t(out[4 * i]) << 24 | std::uint32_t(out[4 * i + 1]) << 16 |
                        std::uint32_t(out[4 * i + 2]) << 8 | std::uint32_t(out[4 * i + 3]);
        computed_ = true;
    }
    return shaSuccess;
}

wchar_t* Sha1::HexDigest(wchar_t* out) const noexcept
{
    std::uint8_t digest[20] = {};
    Digest(digest);
    return WriteHex(digest, 20, out);
}

} // namespace lumbrix
