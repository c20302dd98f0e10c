#pragma once
// The four digests that checksum lists carry, how a list names them (a tag,
// a hex length, its own file name), and a digest as bytes. Portable.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace lumbrix {

enum class ChecksumAlgorithm : std::uint8_t { None, Crc32, Md5, Sha1, Sha256 };

inline constexpr std::size_t kMostDigestBytes = 32;

// 4, 16, 20 or 32; 0 for None.
std::size_t DigestBytes(ChecksumAlgorithm algorithm) noexcept;
// The algorithm whose digest has this many hex digits (8, 32, 40, 64); None otherwise.
ChecksumAlgorithm AlgorithmFromHexLength(std::size_t digits) noexcept;
// The algorithm digests of the same length belong to; None when none does.
ChecksumAlgorithm AlgorithmFromDigestBytes(std::size_t bytes) noexcept;
// "SHA256", "SHA-256", "SHA1", "SHA-1", "MD5", "CRC32" in any case (a tag
// without its colon, or a BSD line's name); None otherwise.
ChecksumAlgorithm AlgorithmFromName(std::wstring_view name) noexcept;
// The algorithm a checksum list's file name stands for: *.sha256, *.sha1,
// *.md5, *.sfv, SHA256SUMS, SHA1SUMS, MD5SUMS (also ending a longer name
// after a '-', '_' or '.', as in "tool-1.0-SHA256SUMS"), in any case, each
// optionally followed by ".txt". None when the name is no checksum list. A
// full path is fine: only its last part counts.
ChecksumAlgorithm AlgorithmFromListName(std::wstring_view fileName) noexcept;
inline bool IsChecksumListName(std::wstring_view fileName) noexcept
{
    return AlgorithmFromListName(fileName) != ChecksumAlgorithm::None;
}
// ".sha256", ".sha1", ".md5", ".sfv"; empty for None.
std::wstring_view ChecksumFileExtension(ChecksumAlgorithm algorithm) noexcept;

struct ChecksumDigest {
    ChecksumAlgorithm algorithm = ChecksumAlgorithm::None;
    std::uint8_t bytes[kMostDigestBytes] = {};

    std::size_t size() const noexcept { return DigestBytes(algorithm); }
    friend bool operator==(const ChecksumDigest& a, const ChecksumDigest& b) noexcept;
};

bool IsHexDigit(wchar_t c) noexcept;
// Reads hex digits of either case into the digest of the algorithm their
// count names; false (digest unchanged) for any other count or a non-hex unit.
bool ParseHexDigest(std::wstring_view hex, ChecksumDigest& digest) noexcept;
// The digest as hex digits of the given case.
std::wstring FormatHexDigest(const ChecksumDigest& digest, bool upperCase);

} // namespace lumbrix
