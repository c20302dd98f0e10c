// Built with the ARMv8 CRC32 instructions enabled; chosen only when the
// processor has them.
#include "hash/crc32_kernels.h"

#if LUMBRIX_HASH_ARM64
#include "hash/armv8_intrinsics.h"

#include <cstring>

namespace lumbrix {
namespace {

// One CRC32X waits for the one before it for a few cycles but a new one can
// start every cycle: three independent streams over a block's thirds keep
// the unit busy, and are joined with the shift below.
constexpr std::size_t kStream = 1024;

// A linear map on the 32-bit register: column[i] is the image of bit i.
struct Gf2Map {
    std::uint32_t column[32];
};

constexpr std::uint32_t Apply(const Gf2Map& map, std::uint32_t value) noexcept
{
    std::uint32_t result = 0;
    for (int i = 0; i < 32; ++i)
        if ((value >> i) & 1u) result ^= map.column[i];
    return result;
}

constexpr Gf2Map Twice(const Gf2Map& map) noexcept
{
    Gf2Map result{};
    for (int i = 0; i < 32; ++i) result.column[i] = Apply(map, map.column[i]);
    return result;
}

// What kStream zero bytes do to the register, as four byte-indexed tables.
struct ZeroStreamShift {
    std::uint32_t byte[4][256];
    constexpr ZeroStreamShift() : byte()
    {
        Gf2Map map{}; // one zero bit of the reflected polynomial
        map.column[0] = 0xEDB88320u;
        for (int i = 1; i < 32; ++i) map.column[i] = 1u << (i - 1);
        static_assert((kStream & (kStream - 1)) == 0, "squarings give a power of two");
        for (std::size_t bits = 1; bits < kStream * 8; bits *= 2) map = Twice(map);
        for (int k = 0; k < 4; ++k)
            for (std::uint32_t b = 0; b < 256; ++b) byte[k][b] = Apply(map, b << (8 * k));
    }
    std::uint32_t operator()(std::uint32_t reg) const noexcept
    {
        return byte[0][reg & 0xFF] ^ byte[1][(reg >> 8) & 0xFF] ^ byte[2][(reg >> 16) & 0xFF] ^ byte[3][reg >> 24];
    }
};

constexpr ZeroStreamShift kShift;

std::uint64_t Load64(const std::uint8_t* p) noexcept
{
    std::uint64_t value;
    std::memcpy(&value, p, 8);
    return value;
}

} // namespace

std::uint32_t Crc32Armv8(std::uint32_t reg, const std::uint8_t* data, std::size_t size) noexcept
{
    // The register is linear in itself and the data: a stream started from
    // zero, shifted over the bytes that follow it, adds in.
    for (; size >= 3 * kStream; size -= 3 * kStream, data += 3 * kStream) {
        std::uint32_t a = reg, b = 0, c = 0;
        for (std::size_t i = 0; i < kStream; i += 8) {
            a = __crc32d(a, Load64(data + i));
            b = __crc32d(b, Load64(data + kStream + i));
            c = __crc32d(c, Load64(data + 2 * kStream + i));
        }
        reg = kShift(kShift(a) ^ b) ^ c;
    }
    for (; size >= 8; size -= 8, data += 8) reg = __crc32d(reg, Load64(data));
    for (; size != 0; --size, ++data) reg = __crc32b(reg, *data);
    return reg;
}

} // namespace lumbrix
#endif
