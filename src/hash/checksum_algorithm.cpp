#include "hash/checksum_algorithm.h"

#include <cstring>

namespace lumbrix {
namespace {

wchar_t AsciiUpper(wchar_t c) noexcept { return c >= L'a' && c <= L'z' ? wchar_t(c - L'a' + L'A') : c; }

bool EqualsAsciiNoCase(std::wstring_view text, std::wstring_view upper) noexcept
{
    if (text.size() != upper.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (AsciiUpper(text[i]) != upper[i]) return false;
    return true;
}

bool EndsWithAsciiNoCase(std::wstring_view text, std::wstring_view upper) noexcept
{
    return text.size() >= upper.size() && EqualsAsciiNoCase(text.substr(text.size() - upper.size()), upper);
}

int HexValue(wchar_t c) noexcept
{
    if (c >= L'0' && c <= L'9') return c - L'0';
    const wchar_t upper = AsciiUpper(c);
    if (upper >= L'A' && upper <= L'F') return upper - L'A' + 10;
    return -1;
}

} // namespace

std::size_t DigestBytes(ChecksumAlgorithm algorithm) noexcept
{
    switch (algorithm) {
    case ChecksumAlgorithm::Crc32: return 4;
    case ChecksumAlgorithm::Md5: return 16;
    case ChecksumAlgorithm::Sha1: return 20;
    case ChecksumAlgorithm::Sha256: return 32;
    default: return 0;
    }
}

ChecksumAlgorithm AlgorithmFromDigestBytes(std::size_t bytes) noexcept
{
    switch (bytes) {
    case 4: return ChecksumAlgorithm::Crc32;
    case 16: return ChecksumAlgorithm::Md5;
    case 20: return ChecksumAlgorithm::Sha1;
    case 32: return ChecksumAlgorithm::Sha256;
    default: return ChecksumAlgorithm::None;
    }
}

ChecksumAlgorithm AlgorithmFromHexLength(std::size_t digits) noexcept
{
    return digits % 2 == 0 ? AlgorithmFromDigestBytes(digits / 2) : ChecksumAlgorithm::None;
}

ChecksumAlgorithm AlgorithmFromName(std::wstring_view name) noexcept
{
    if (EqualsAsciiNoCase(name, L"SHA256") || EqualsAsciiNoCase(name, L"SHA-256")) return ChecksumAlgorithm::Sha256;
    if (EqualsAsciiNoCase(name, L"SHA1") || EqualsAsciiNoCase(name, L"SHA-1")) return ChecksumAlgorithm::Sha1;
    if (EqualsAsciiNoCase(name, L"MD5")) return ChecksumAlgorithm::Md5;
    if (EqualsAsciiNoCase(name, L"CRC32")) return ChecksumAlgorithm::Crc32;
    return ChecksumAlgorithm::None;
}

ChecksumAlgorithm AlgorithmFromListName(std::wstring_view fileName) noexcept
{
    const std::size_t separator = fileName.find_last_of(L"\\/");
    std::wstring_view name = separator == std::wstring_view::npos ? fileName : fileName.substr(separator + 1);
    if (EndsWithAsciiNoCase(name, L".TXT")) name.remove_suffix(4);
    struct Form {
        std::wstring_view extension;
        std::wstring_view sums;
        ChecksumAlgorithm algorithm;
    };
    static constexpr Form kForms[] = {{L".SHA256", L"SHA256SUMS", ChecksumAlgorithm::Sha256},
                                      {L".SHA1", L"SHA1SUMS", ChecksumAlgorithm::Sha1},
                                      {L".MD5", L"MD5SUMS", ChecksumAlgorithm::Md5},
                                      {L".SFV", L"", ChecksumAlgorithm::Crc32}};
    for (const Form& form : kForms) {
        if (EndsWithAsciiNoCase(name, form.extension)) return form.algorithm;
        if (form.sums.empty() || !EndsWithAsciiNoCase(name, form.sums)) continue;
        const std::size_t before = name.size() - form.sums.size();
        if (before == 0 || name[before - 1] == L'-' || name[before - 1] == L'_' || name[before - 1] == L'.')
            return form.algorithm;
    }
    return ChecksumAlgorithm::None;
}

std::wstring_view ChecksumFileExtension(ChecksumAlgorithm algorithm) noexcept
{
    switch (algorithm) {
    case ChecksumAlgorithm::Crc32: return L".sfv";
    case ChecksumAlgorithm::Md5: return L".md5";
    case ChecksumAlgorithm::Sha1: return L".sha1";
    case ChecksumAlgorithm::Sha256: return L".sha256";
    default: return {};
    }
}

bool operator==(const ChecksumDigest& a, const ChecksumDigest& b) noexcept
{
    return a.algorithm == b.algorithm && std::memcmp(a.bytes, b.bytes, a.size()) == 0;
}

bool IsHexDigit(wchar_t c) noexcept { return HexValue(c) >= 0; }

bool ParseHexDigest(std::wstring_view hex, ChecksumDigest& digest) noexcept
{
    const ChecksumAlgorithm algorithm = AlgorithmFromHexLength(hex.size());
    if (algorithm == ChecksumAlgorithm::None) return false;
    std::uint8_t bytes[kMostDigestBytes] = {};
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = HexValue(hex[i]);
        const int low = HexValue(hex[i + 1]);
        if (high < 0 || low < 0) return false;
        bytes[i / 2] = static_cast<std::uint8_t>(high << 4 | low);
    }
    digest.algorithm = algorithm;
    std::memcpy(digest.bytes, bytes, sizeof(bytes));
    return true;
}

std::wstring FormatHexDigest(const ChecksumDigest& digest, bool upperCase)
{
    const wchar_t* digits = upperCase ? L"0123456789ABCDEF" : L"0123456789abcdef";
    std::wstring hex(digest.size() * 2, L'0');
    for (std::size_t i = 0; i < digest.size(); ++i) {
        hex[2 * i] = digits[digest.bytes[i] >> 4];
        hex[2 * i + 1] = digits[digest.bytes[i] & 0xF];
    }
    return hex;
}

} // namespace lumbrix
