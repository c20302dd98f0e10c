#include "hash/sha1.h"

#include "hash/big_endian.h"
#include "hash/engine_paths.h"
#include "hash/hex_digits.h"
#include "hash/kernel_dispatch.h"
#include "hash/sha1_kernels.h"
#include "hash/sha1_rounds.h"

#include <initializer_list>
#include <cstring>
#include <utility>

namespace lumbrix {
namespace {

// Round I with the schedule kept in a ring of 16 words.
template <int I>
LUMBRIX_FORCE_INLINE void PortableStep(std::uint32_t (&v)[5], std::uint32_t (&w)[16]) noexcept
{
    if constexpr (I >= 16) w[I % 16] = Rotl32(w[(I - 3) % 16] ^ w[(I - 8) % 16] ^ w[(I - 14) % 16] ^ w[I % 16], 1);
    Sha1Round<I>(v, w[I % 16] + kSha1K[I / 20]);
}

template <int... I>
LUMBRIX_FORCE_INLINE void PortableRounds(std::uint32_t (&v)[5], std::uint32_t (&w)[16],
                                        std::integer_sequence<int, I...>) noexcept
{
    (PortableStep<I>(v, w), ...);
}

using Kernel = void (*)(std::uint32_t[5], const std::uint8_t*, std::size_t) noexcept;

Kernel KernelFor(Sha1Path path) noexcept
{
#if LUMBRIX_HASH_X86
    switch (path) {
    case Sha1Path::Ssse3: return &Sha1BlocksSsse3;
    case Sha1Path::Avx2: return &Sha1BlocksAvx2;
    case Sha1Path::ShaExtensions: return &Sha1BlocksShaExtensions;
    case Sha1Path::Portable:
    case Sha1Path::Armv8: break;
    }
#elif LUMBRIX_HASH_ARM64
    if (path == Sha1Path::Armv8) return &Sha1BlocksArmv8;
#else
    (void)path;
#endif
    return &Sha1BlocksPortable;
}

constinit KernelDispatch<Sha1Path, Kernel> dispatch(&KernelFor, &BestSha1Path, &CanRun);

Kernel ActiveKernel() noexcept { return dispatch.Active(); }

} // namespace

void Sha1BlocksPortable(std::uint32_t state[5], const std::uint8_t* blocks, std::size_t count) noexcept
{
    for (; count != 0; --count, blocks += 64) {
        std::uint32_t w[16];
        for (int i = 0; i < 16; ++i) w[i] = LoadBe32(blocks + 4 * i);
        std::uint32_t v[5] = {state[0], state[1], state[2], state[3], state[4]};
        PortableRounds(v, w, std::make_integer_sequence<int, 80>{});
        for (int i = 0; i < 5; ++i) state[i] += v[i];
    }
}

bool CanRun(Sha1Path path) noexcept
{
    const CpuFeatures& cpu = DetectCpuFeatures();
    switch (path) {
    case Sha1Path::Portable: return true;
    case Sha1Path::Ssse3: return LUMBRIX_HASH_X86 && cpu.ssse3;
    case Sha1Path::Avx2: return LUMBRIX_HASH_X86 && cpu.avx2 && cpu.bmi;
    case Sha1Path::ShaExtensions: return LUMBRIX_HASH_X86 && cpu.sha && cpu.ssse3 && cpu.sse41;
    case Sha1Path::Armv8: return LUMBRIX_HASH_ARM64 && cpu.armSha1;
    }
    return false;
}

Sha1Path BestSha1Path() noexcept
{
    for (Sha1Path path : {Sha1Path::ShaExtensions, Sha1Path::Avx2, Sha1Path::Ssse3, Sha1Path::Armv8})
        if (CanRun(path)) return path;
    return Sha1Path::Portable;
}

Sha1Path ActiveSha1Path() noexcept { return dispatch.ActivePath(); }

bool UseSha1Path(Sha1Path path) noexcept { return dispatch.Use(path); }

const char* PathName(Sha1Path path) noexcept
{
    switch (path) {
    case Sha1Path::Portable: return "portable";
    case Sha1Path::Ssse3: return "ssse3";
    case Sha1Path::Avx2: return "avx2";
    case Sha1Path::ShaExtensions: return "sha-ni";
    case Sha1Path::Armv8: return "armv8-sha1";
    }
    return "?";
}

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
    const std::uint64_t bits = std::uint64_t(lengthHigh_) << 32 | lengthLow_;
    const std::uint64_t total = bits + std::uint64_t(size) * 8;
    if (total < bits) return corrupted_ = shaInputTooLong; // reached 2^64 bits
    lengthLow_ = static_cast<std::uint32_t>(total);
    lengthHigh_ = static_cast<std::uint32_t>(total >> 32);

    const auto* bytes = static_cast<const std::uint8_t*>(data);
    const Kernel compress = ActiveKernel();
    if (blockIndex_ != 0) {
        const std::uint32_t take = size < 64 - blockIndex_ ? size : 64 - blockIndex_;
        std::memcpy(block_ + blockIndex_, bytes, take);
        blockIndex_ += take;
        bytes += take;
        size -= take;
        if (blockIndex_ < 64) return shaSuccess;
        compress(state_, block_, 1);
        blockIndex_ = 0;
    }
    compress(state_, bytes, size / 64);
    bytes += size & ~std::uint32_t(63);
    blockIndex_ = size & 63;
    if (blockIndex_ != 0) std::memcpy(block_, bytes, blockIndex_);
    return shaSuccess;
}

Sha1Status Sha1::Digest(std::uint8_t out[20]) const noexcept
{
    if (!out) return shaNull;
    if (corrupted_ != shaSuccess) return corrupted_;
    std::uint32_t state[5] = {state_[0], state_[1], state_[2], state_[3], state_[4]};
    if (!computed_) {
        // Closes a copy: 0x80, zeros up to 56 mod 64, the bit count high word first.
        std::uint8_t tail[128] = {};
        std::memcpy(tail, block_, blockIndex_);
        tail[blockIndex_] = 0x80;
        const std::size_t total = blockIndex_ < 56 ? 64 : 128;
        const std::uint32_t length[2] = {lengthHigh_, lengthLow_};
        for (int i = 0; i < 8; ++i)
            tail[total - 8 + i] = static_cast<std::uint8_t>(length[i / 4] >> (24 - 8 * (i % 4)));
        ActiveKernel()(state, tail, total / 64);
    }
    for (int i = 0; i < 20; ++i) out[i] = static_cast<std::uint8_t>(state[i / 4] >> (24 - 8 * (i % 4)));
    return shaSuccess;
}

Sha1Status Sha1::Result(std::uint8_t out[20]) noexcept
{
    const Sha1Status status = Digest(out);
    if (status != shaSuccess) return status;
    if (!computed_) {
        // Keep the final chaining words so that later calls give the same bytes.
        for (int i = 0; i < 5; ++i) state_[i] = LoadBe32(out + 4 * i);
        std::memset(block_, 0, sizeof(block_));
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
