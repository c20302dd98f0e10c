#include "hash/crc32.h"

#include "hash/hex_digits.h"

namespace lumbrix {
namespace {

struct Crc32Table {
    std::uint32_t entries[256];
    constexpr Crc32Table() : entries()
    {
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t r = i;
            for (int bit = 0; bit < 8; ++bit) r = (r >> 1) ^ (0xEDB88320u & (0u - (r & 1u)));
            entries[i] = r;
        }
    }
};

constexpr Crc32Table kTable;
static_assert(kTable.entries[1] == 0x77073096u && kTable.entries[255] == 0x2D02EF8Du);

} // namespace

void Crc32::Update(const void* data, std::uint32_t size) noexcept
{
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    std::uint32_t r = register_;
    for (std::uint32_t i = 0; i < size; ++i) r = (r >> 8) ^ kTable.entries[(r ^ bytes[i]) & 0xFF];
    register_ = r;
}

wchar_t* Crc32::HexDigest(wchar_t* out) const noexcept
{
    const std::uint32_t value = Value();
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(value >> 24), static_cast<std::uint8_t>(value >> 16),
                                   static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)};
    return WriteHex(bytes, 4, out);
}

} // namespace lumbrix
