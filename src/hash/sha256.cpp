#include "hash/sha256.h"

#include "hash/big_endian.h"
#include "hash/engine_paths.h"
#include "hash/force_inline.h"
#include "hash/hex_digits.h"
#include "hash/kernel_dispatch.h"
#include "hash/sha256_kernels.h"

#include <cstring>
#include <initializer_list>
#include <utility>

namespace lumbrix {
namespace {

constexpr std::uint32_t Rotr32(std::uint32_t x, int n) noexcept { return (x >> n) | (x << (32 - n)); }

// Round I on the working words v, with the schedule in a ring of 16 words
// (w[I % 16] holds W[I - 16] until it is replaced by W[I]). The names rotate
// through v instead of the words moving: in round I, a is v[-I mod 8].
template <int I>
LUMBRIX_FORCE_INLINE void PortableRound(std::uint32_t (&v)[8], std::uint32_t (&w)[16]) noexcept
{
    if constexpr (I >= 16) {
        const std::uint32_t w15 = w[(I - 15) % 16];
        const std::uint32_t w2 = w[(I - 2) % 16];
        w[I % 16] += (Rotr32(w15, 7) ^ Rotr32(w15, 18) ^ (w15 >> 3)) + w[(I - 7) % 16] +
                     (Rotr32(w2, 17) ^ Rotr32(w2, 19) ^ (w2 >> 10));
    }
    constexpr int r = I % 8;
    const std::uint32_t a = v[(8 - r) % 8];
    const std::uint32_t b = v[(9 - r) % 8];
    const std::uint32_t c = v[(10 - r) % 8];
    std::uint32_t& d = v[(11 - r) % 8];
    const std::uint32_t e = v[(12 - r) % 8];
    const std::uint32_t f = v[(13 - r) % 8];
    const std::uint32_t g = v[(14 - r) % 8];
    std::uint32_t& h = v[(15 - r) % 8];
    // h, the constant and the word are ready a round early; e and a, the
    // words the previous round finished, join last.
    h += kSha256K[I] + w[I % 16];
    h += (Rotr32(e, 6) ^ Rotr32(e, 11) ^ Rotr32(e, 25)) + (g ^ (e & (f ^ g)));
    d += h;
    h += (Rotr32(a, 2) ^ Rotr32(a, 13) ^ Rotr32(a, 22)) + ((a & b) | (c & (a | b)));
}

template <int... I>
LUMBRIX_FORCE_INLINE void PortableRounds(std::uint32_t (&v)[8], std::uint32_t (&w)[16],
                                          std::integer_sequence<int, I...>) noexcept
{
    (PortableRound<I>(v, w), ...);
}

using Kernel = void (*)(std::uint32_t[8], const std::uint8_t*, std::size_t) noexcept;

Kernel KernelFor(Sha256Path path) noexcept
{
#if LUMBRIX_HASH_X86
    switch (path) {
    case Sha256Path::ShaExtensions: return &Sha256BlocksShaExtensions;
    case Sha256Path::Portable:
    case Sha256Path::Armv8: break;
    }
#elif LUMBRIX_HASH_ARM64
    if (path == Sha256Path::Armv8) return &Sha256BlocksArmv8;
#else
    (void)path;
#endif
    return &Sha256BlocksPortable;
}

constinit KernelDispatch<Sha256Path, Kernel> dispatch(&KernelFor, &BestSha256Path, &CanRun);

Kernel ActiveKernel() noexcept { return dispatch.Active(); }

} // namespace

void Sha256BlocksPortable(std::uint32_t state[8], const std::uint8_t* blocks, std::size_t count) noexcept
{
    for (; count != 0; --count, blocks += 64) {
        std::uint32_t w[16];
        for (int i = 0; i < 16; ++i) w[i] = LoadBe32(blocks + 4 * i);
        std::uint32_t v[8];
        for (int i = 0; i < 8; ++i) v[i] = state[i];
        PortableRounds(v, w, std::make_integer_sequence<int, 64>{});
        for (int i = 0; i < 8; ++i) state[i] += v[i];
    }
}

bool CanRun(Sha256Path path) noexcept
{
    const CpuFeatures& cpu = DetectCpuFeatures();
    switch (path) {
    case Sha256Path::Portable: return true;
    case Sha256Path::ShaExtensions: return LUMBRIX_HASH_X86 && cpu.sha && cpu.ssse3 && cpu.sse41;
    case Sha256Path::Armv8: return LUMBRIX_HASH_ARM64 && cpu.armSha2;
    }
    return false;
}

Sha256Path BestSha256Path() noexcept
{
    for (Sha256Path path : {Sha256Path::ShaExtensions, Sha256Path::Armv8})
        if (CanRun(path)) return path;
    return Sha256Path::Portable;
}

Sha256Path ActiveSha256Path() noexcept { return dispatch.ActivePath(); }

bool UseSha256Path(Sha256Path path) noexcept { return dispatch.Use(path); }

const char* PathName(Sha256Path path) noexcept
{
    switch (path) {
    case Sha256Path::Portable: return "portable";
    case Sha256Path::ShaExtensions: return "sha-ni";
    case Sha256Path::Armv8: return "armv8-sha2";
    }
    return "?";
}

void Sha256::Init() noexcept
{
    static constexpr std::uint32_t kInitial[8] = {0x6A09E667u, 0xBB67AE85u, 0x3C6EF372u, 0xA54FF53Au,
                                                  0x510E527Fu, 0x9B05688Cu, 0x1F83D9ABu, 0x5BE0CD19u};
    std::memcpy(state_, kInitial, sizeof(state_));
    byteCount_ = 0;
    std::memset(block_, 0, sizeof(block_));
}

void Sha256::Update(const void* data, std::uint32_t size) noexcept
{
    if (size == 0) return;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    std::uint32_t used = static_cast<std::uint32_t>(byteCount_ & 63);
    byteCount_ += size;
    const Kernel compress = ActiveKernel();
    if (used != 0) {
        const std::uint32_t take = size < 64 - used ? size : 64 - used;
        std::memcpy(block_ + used, bytes, take);
        used += take;
        bytes += take;
        size -= take;
        if (used < 64) return;
        compress(state_, block_, 1);
    }
    compress(state_, bytes, size / 64);
    bytes += size & ~std::uint32_t(63);
    if ((size & 63) != 0) std::memcpy(block_, bytes, size & 63);
}

void Sha256::Digest(std::uint8_t out[32]) const noexcept
{
    // Closes a copy: 0x80, zeros up to 56 mod 64, the bit count big-endian.
    std::uint32_t state[8];
    std::memcpy(state, state_, sizeof(state));
    const std::size_t used = static_cast<std::size_t>(byteCount_ & 63);
    std::uint8_t tail[128] = {};
    std::memcpy(tail, block_, used);
    tail[used] = 0x80;
    const std::size_t total = used < 56 ? 64 : 128;
    const std::uint64_t bits = byteCount_ << 3;
    StoreBe32(static_cast<std::uint32_t>(bits >> 32), tail + total - 8);
    StoreBe32(static_cast<std::uint32_t>(bits), tail + total - 4);
    ActiveKernel()(state, tail, total / 64);
    for (int i = 0; i < 8; ++i) StoreBe32(state[i], out + 4 * i);
}

wchar_t* Sha256::HexDigest(wchar_t* out) const noexcept
{
    std::uint8_t digest[32];
    Digest(digest);
    return WriteHex(digest, 32, out);
}

} // namespace lumbrix
