#include "hash/md5.h"

#include "hash/hex_digits.h"

#include <bit>
#include <cstring>

namespace lumbrix {
namespace {

std::uint32_t LoadLe32(const std::uint8_t* p) noexcept
{
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    if constexpr (std::endian::native == std::endian::big)
        v = (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
    return v;
}

// The additive constants. Read as data (volatile) rather than folded into
// the code: folded, a compiler may add them after the round function instead of
// before it, which puts an extra addition on every step's critical path.
const volatile std::uint32_t kSines[64] = {
    0xd76aa478u, 0xe8c7b756u, 0x242070dbu, 0xc1bdceeeu, 0xf57c0fafu, 0x4787c62au, 0xa8304613u, 0xfd469501u,
    0x698098d8u, 0x8b44f7afu, 0xffff5bb1u, 0x895cd7beu, 0x6b901122u, 0xfd987193u, 0xa679438eu, 0x49b40821u,
    0xf61e2562u, 0xc040b340u, 0x265e5a51u, 0xe9b6c7aau, 0xd62f105du, 0x02441453u, 0xd8a1e681u, 0xe7d3fbc8u,
    0x21e1cde6u, 0xc33707d6u, 0xf4d50d87u, 0x455a14edu, 0xa9e3e905u, 0xfcefa3f8u, 0x676f02d9u, 0x8d2a4c8au,
    0xfffa3942u, 0x8771f681u, 0x6d9d6122u, 0xfde5380cu, 0xa4beea44u, 0x4bdecfa9u, 0xf6bb4b60u, 0xbebfbc70u,
    0x289b7ec6u, 0xeaa127fau, 0xd4ef3085u, 0x04881d05u, 0xd9d4d039u, 0xe6db99e5u, 0x1fa27cf8u, 0xc4ac5665u,
    0xf4292244u, 0x432aff97u, 0xab9423a7u, 0xfc93a039u, 0x655b59c3u, 0x8f0ccc92u, 0xffeff47du, 0x85845dd1u,
    0x6fa87e4fu, 0xfe2ce6e0u, 0xa3014314u, 0x4e0811a1u, 0xf7537e82u, 0xbd3af235u, 0x2ad7d2bbu, 0xeb86d391u,
};

// The four rounds, written so that the step's critical path (from b, the word
// finished by the previous step) is as short as the function allows: whatever
// does not need b is added to a first. G uses + for its disjoint halves so that
// the half without b joins early too.
#define LUMBRIX_MD5_F(a, b, c, d, x, t, s) \
    a += (x) + (t);                        \
    a += (d) ^ ((b) & ((c) ^ (d)));        \
    a = std::rotl(a, s) + (b)
#define LUMBRIX_MD5_G(a, b, c, d, x, t, s) \
    a += (x) + (t) + ((c) & ~(d));         \
    a += (b) & (d);                        \
    a = std::rotl(a, s) + (b)
#define LUMBRIX_MD5_H(a, b, c, d, x, t, s) \
    a += (x) + (t);                        \
    a += (b) ^ ((c) ^ (d));                \
    a = std::rotl(a, s) + (b)
#define LUMBRIX_MD5_I(a, b, c, d, x, t, s) \
    a += (x) + (t);                        \
    a += (c) ^ ((b) | ~(d));               \
    a = std::rotl(a, s) + (b)

void Compress(std::uint32_t state[4], const std::uint8_t* blocks, std::size_t count) noexcept
{
    std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    for (; count != 0; --count, blocks += 64) {
        std::uint32_t x[16];
        for (int i = 0; i < 16; ++i) x[i] = LoadLe32(blocks + 4 * i);
        const std::uint32_t a0 = a, b0 = b, c0 = c, d0 = d;

        LUMBRIX_MD5_F(a, b, c, d, x[0], kSines[0], 7);
        LUMBRIX_MD5_F(d, a, b, c, x[1], kSines[1], 12);
        LUMBRIX_MD5_F(c, d, a, b, x[2], kSines[2], 17);
        LUMBRIX_MD5_F(b, c, d, a, x[3], kSines[3], 22);
        LUMBRIX_MD5_F(a, b, c, d, x[4], kSines[4], 7);
        LUMBRIX_MD5_F(d, a, b, c, x[5], kSines[5], 12);
        LUMBRIX_MD5_F(c, d, a, b, x[6], kSines[6], 17);
        LUMBRIX_MD5_F(b, c, d, a, x[7], kSines[7], 22);
        LUMBRIX_MD5_F(a, b, c, d, x[8], kSines[8], 7);
        LUMBRIX_MD5_F(d, a, b, c, x[9], kSines[9], 12);
        LUMBRIX_MD5_F(c, d, a, b, x[10], kSines[10], 17);
        LUMBRIX_MD5_F(b, c, d, a, x[11], kSines[11], 22);
        LUMBRIX_MD5_F(a, b, c, d, x[12], kSines[12], 7);
        LUMBRIX_MD5_F(d, a, b, c, x[13], kSines[13], 12);
        LUMBRIX_MD5_F(c, d, a, b, x[14], kSines[14], 17);
        LUMBRIX_MD5_F(b, c, d, a, x[15], kSines[15], 22);

        LUMBRIX_MD5_G(a, b, c, d, x[1], kSines[16], 5);
        LUMBRIX_MD5_G(d, a, b, c, x[6], kSines[17], 9);
        LUMBRIX_MD5_G(c, d, a, b, x[11], kSines[18], 14);
        LUMBRIX_MD5_G(b, c, d, a, x[0], kSines[19], 20);
        LUMBRIX_MD5_G(a, b, c, d, x[5], kSines[20], 5);
        LUMBRIX_MD5_G(d, a, b, c, x[10], kSines[21], 9);
        LUMBRIX_MD5_G(c, d, a, b, x[15], kSines[22], 14);
        LUMBRIX_MD5_G(b, c, d, a, x[4], kSines[23], 20);
        LUMBRIX_MD5_G(a, b, c, d, x[9], kSines[24], 5);
        LUMBRIX_MD5_G(d, a, b, c, x[14], kSines[25], 9);
        LUMBRIX_MD5_G(c, d, a, b, x[3], kSines[26], 14);
        LUMBRIX_MD5_G(b, c, d, a, x[8], kSines[27], 20);
        LUMBRIX_MD5_G(a, b, c, d, x[13], kSines[28], 5);
        LUMBRIX_MD5_G(d, a, b, c, x[2], kSines[29], 9);
        LUMBRIX_MD5_G(c, d, a, b, x[7], kSines[30], 14);
        LUMBRIX_MD5_G(b, c, d, a, x[12], kSines[31], 20);

        LUMBRIX_MD5_H(a, b, c, d, x[5], kSines[32], 4);
        LUMBRIX_MD5_H(d, a, b, c, x[8], kSines[33], 11);
        LUMBRIX_MD5_H(c, d, a, b, x[11], kSines[34], 16);
        LUMBRIX_MD5_H(b, c, d, a, x[14], kSines[35], 23);
        LUMBRIX_MD5_H(a, b, c, d, x[1], kSines[36], 4);
        LUMBRIX_MD5_H(d, a, b, c, x[4], kSines[37], 11);
        LUMBRIX_MD5_H(c, d, a, b, x[7], kSines[38], 16);
        LUMBRIX_MD5_H(b, c, d, a, x[10], kSines[39], 23);
        LUMBRIX_MD5_H(a, b, c, d, x[13], kSines[40], 4);
        LUMBRIX_MD5_H(d, a, b, c, x[0], kSines[41], 11);
        LUMBRIX_MD5_H(c, d, a, b, x[3], kSines[42], 16);
        LUMBRIX_MD5_H(b, c, d, a, x[6], kSines[43], 23);
        LUMBRIX_MD5_H(a, b, c, d, x[9], kSines[44], 4);
        LUMBRIX_MD5_H(d, a, b, c, x[12], kSines[45], 11);
        LUMBRIX_MD5_H(c, d, a, b, x[15], kSines[46], 16);
        LUMBRIX_MD5_H(b, c, d, a, x[2], kSines[47], 23);

        LUMBRIX_MD5_I(a, b, c, d, x[0], kSines[48], 6);
        LUMBRIX_MD5_I(d, a, b, c, x[7], kSines[49], 10);
        LUMBRIX_MD5_I(c, d, a, b, x[14], kSines[50], 15);
        LUMBRIX_MD5_I(b, c, d, a, x[5], kSines[51], 21);
        LUMBRIX_MD5_I(a, b, c, d, x[12], kSines[52], 6);
        LUMBRIX_MD5_I(d, a, b, c, x[3], kSines[53], 10);
        LUMBRIX_MD5_I(c, d, a, b, x[10], kSines[54], 15);
        LUMBRIX_MD5_I(b, c, d, a, x[1], kSines[55], 21);
        LUMBRIX_MD5_I(a, b, c, d, x[8], kSines[56], 6);
        LUMBRIX_MD5_I(d, a, b, c, x[15], kSines[57], 10);
        LUMBRIX_MD5_I(c, d, a, b, x[6], kSines[58], 15);
        LUMBRIX_MD5_I(b, c, d, a, x[13], kSines[59], 21);
        LUMBRIX_MD5_I(a, b, c, d, x[4], kSines[60], 6);
        LUMBRIX_MD5_I(d, a, b, c, x[11], kSines[61], 10);
        LUMBRIX_MD5_I(c, d, a, b, x[2], kSines[62], 15);
        LUMBRIX_MD5_I(b, c, d, a, x[9], kSines[63], 21);

        a += a0;
        b += b0;
        c += c0;
        d += d0;
    }
    state[0] = a;
    state[1] = b;
    state[2] = c;
    state[3] = d;
}

#undef LUMBRIX_MD5_F
#undef LUMBRIX_MD5_G
#undef LUMBRIX_MD5_H
#undef LUMBRIX_MD5_I

} // namespace

void Md5::Init() noexcept
{
    state_[0] = 0x67452301u;
    state_[1] = 0xefcdab89u;
    state_[2] = 0x98badcfeu;
    state_[3] = 0x10325476u;
    byteCount_ = 0;
    std::memset(block_, 0, sizeof(block_));
}

void Md5::Update(const void* data, std::uint32_t size) noexcept
{
    if (size == 0) return;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    const std::size_t used = static_cast<std::size_t>(byteCount_ & 63);
    byteCount_ += size;
    if (used != 0) {
        const std::size_t take = size < 64 - used ? size : 64 - used;
        std::memcpy(block_ + used, bytes, take);
        bytes += take;
        size -= static_cast<std::uint32_t>(take);
        if (used + take < 64) return;
        Compress(state_, block_, 1);
    }
    Compress(state_, bytes, size / 64);
    bytes += size & ~std::uint32_t(63);
    size &= 63;
    if (size != 0) std::memcpy(block_, bytes, size);
}

void Md5::Digest(std::uint8_t out[16]) const noexcept
{
    // Closes a copy: 0x80, zeros up to 56 mod 64, the bit count low byte first.
    std::uint8_t tail[128] = {};
    const std::size_t used = static_cast<std::size_t>(byteCount_ & 63);
    std::memcpy(tail, block_, used);
    tail[used] = 0x80;
    const std::size_t total = used < 56 ? 64 : 128;
    const std::uint64_t bits = byteCount_ * 8;
    for (int i = 0; i < 8; ++i) tail[total - 8 + i] = static_cast<std::uint8_t>(bits >> (8 * i));
    std::uint32_t state[4] = {state_[0], state_[1], state_[2], state_[3]};
    Compress(state, tail, total / 64);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) out[4 * i + j] = static_cast<std::uint8_t>(state[i] >> (8 * j));
}

wchar_t* Md5::HexDigest(wchar_t* out) const noexcept
{
    std::uint8_t digest[16];
    Digest(digest);
    return WriteHex(digest, 16, out);
}

} // namespace lumbrix
