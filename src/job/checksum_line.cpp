#include "job/checksum_line.h"

#include <algorithm>

namespace lumbrix {
namespace {

// White space around a pasted digest: what web pages and editors put there.
bool IsSpaceAround(wchar_t c) noexcept
{
    switch (c) {
    case L' ': case L'\t': case L'\r': case L'\n': case L'\v': case L'\f':
    case 0x00A0: case 0x200B: case 0x3000: case 0xFEFF:
        return true;
    default:
        return false;
    }
}

std::wstring_view Trim(std::wstring_view text, bool (*space)(wchar_t) noexcept)
{
    while (!text.empty() && space(text.front())) text.remove_prefix(1);
    while (!text.empty() && space(text.back())) text.remove_suffix(1);
    return text;
}

bool IsBlank(wchar_t c) noexcept { return c == L' ' || c == L'\t' || c == 0xFEFF; }

std::size_t HexRun(std::wstring_view text) noexcept
{
    std::size_t n = 0;
    while (n < text.size() && IsHexDigit(text[n])) ++n;
    return n;
}

// Hex digits of exactly the algorithm's length.
bool ParseDigestOf(std::wstring_view hex, ChecksumAlgorithm algorithm, ChecksumDigest& digest) noexcept
{
    ChecksumDigest parsed;
    if (!ParseHexDigest(hex, parsed) || parsed.algorithm != algorithm) return false;
    digest = parsed;
    return true;
}

// "<tag>:<hex>", white space allowed around both.
bool ParseTagged(std::wstring_view column, ChecksumDigest& digest) noexcept
{
    const std::size_t colon = column.find(L':');
    if (colon == std::wstring_view::npos) return false;
    const ChecksumAlgorithm algorithm = AlgorithmFromName(Trim(column.substr(0, colon), IsSpaceAround));
    return algorithm != ChecksumAlgorithm::None &&
           ParseDigestOf(Trim(column.substr(colon + 1), IsSpaceAround), algorithm, digest);
}

// GNU's escapes in the name of a line that begins with a backslash.
bool Unescape(std::wstring& path)
{
    std::size_t out = 0;
    for (std::size_t i = 0; i < path.size(); ++i) {
        wchar_t c = path[i];
        if (c == L'\\') {
            if (++i == path.size()) return false;
            switch (path[i]) {
            case L'\\': c = L'\\'; break;
            case L'n': c = L'\n'; break;
            case L'r': c = L'\r'; break;
            default: return false;
            }
        }
        path[out++] = c;
    }
    path.resize(out);
    return true;
}

// "<hex>  <path>" or "<hex> *<path>".
bool ParseGnu(std::wstring_view line, ParsedChecksumLine& parsed)
{
    const std::size_t digits = HexRun(line);
    if (line.size() < digits + 3 || line[digits] != L' ' || (line[digits + 1] != L' ' && line[digits + 1] != L'*'))
        return false;
    if (!ParseHexDigest(line.substr(0, digits), parsed.digest)) return false;
    parsed.path.assign(line.substr(digits + 2));
    return true;
}

// "<NAME> (<path>) = <hex>"; the path may hold parentheses and " = " itself.
bool ParseBsd(std::wstring_view line, ParsedChecksumLine& parsed)
{
    const std::size_t open = line.find(L" (");
    const std::size_t close = line.rfind(L") = ");
    if (open == std::wstring_view::npos || close == std::wstring_view::npos || close < open + 3) return false;
    const ChecksumAlgorithm algorithm = AlgorithmFromName(line.substr(0, open));
    if (algorithm == ChecksumAlgorithm::None || !ParseDigestOf(line.substr(close + 4), algorithm, parsed.digest))
        return false;
    parsed.path.assign(line.substr(open + 2, close - open - 2));
    return true;
}

// The file URL form of the copy's path column: the percent escapes of ASCII undone.
void DecodeFileUrl(std::wstring& path)
{
    static constexpr std::wstring_view kPrefix = L"file://";
    if (path.size() < kPrefix.size()) return;
    for (std::size_t i = 0; i < kPrefix.size(); ++i)
        if ((path[i] | 0x20) != kPrefix[i]) return;
    std::size_t out = 0;
    for (std::size_t i = kPrefix.size(); i < path.size(); ++i) {
        wchar_t c = path[i];
        if (c == L'%' && i + 2 < path.size() && IsHexDigit(path[i + 1]) && IsHexDigit(path[i + 2])) {
            const auto value = [](wchar_t d) { return d <= L'9' ? d - L'0' : (d | 0x20) - L'a' + 10; };
            c = static_cast<wchar_t>(value(path[i + 1]) << 4 | value(path[i + 2]));
            i += 2;
        }
        path[out++] = c;
    }
    path.resize(out);
}

// "<path><TAB>...": the strongest tagged digest among the later columns.
bool ParseCopyLine(std::wstring_view line, ParsedChecksumLine& parsed)
{
    const std::size_t tab = line.find(L'\t');
    if (tab == std::wstring_view::npos) return false;
    ChecksumDigest strongest;
    std::wstring_view rest = line.substr(tab + 1);
    for (;;) {
        const std::size_t next = rest.find(L'\t');
        ChecksumDigest digest;
        if (ParseTagged(rest.substr(0, next), digest) && digest.algorithm > strongest.algorithm) strongest = digest;
        if (next == std::wstring_view::npos) break;
        rest.remove_prefix(next + 1);
    }
    if (strongest.algorithm == ChecksumAlgorithm::None) return false;
    parsed.digest = strongest;
    parsed.path.assign(Trim(line.substr(0, tab), [](wchar_t c) noexcept { return c == L' '; }));
    DecodeFileUrl(parsed.path);
    return true;
}

// "<path> <8 hex digits>", the path's own trailing blanks dropped.
bool ParseSfv(std::wstring_view line, ParsedChecksumLine& parsed)
{
    const std::size_t space = line.rfind(L' ');
    if (space == std::wstring_view::npos || line.size() - space - 1 != 8) return false;
    if (!ParseDigestOf(line.substr(space + 1), ChecksumAlgorithm::Crc32, parsed.digest)) return false;
    std::wstring_view path = line.substr(0, space);
    while (!path.empty() && IsBlank(path.back())) path.remove_suffix(1);
    parsed.path.assign(path);
    return true;
}

// No empty path, no control character (no file name holds one); '\' between parts.
bool FinishPath(std::wstring& path)
{
    if (path.empty()) return false;
    for (wchar_t& c : path) {
        if (c < 0x20 || c == 0x7F) return false;
        if (c == L'/') c = L'\\';
    }
    return true;
}

} // namespace

ChecksumLineKind ParseChecksumLine(std::wstring_view line, ParsedChecksumLine& parsed)
{
    while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
    while (!line.empty() && IsBlank(line.back())) line.remove_suffix(1);
    if (line.empty()) return ChecksumLineKind::Blank;
    if (line.front() == L';' || line.front() == L'#') return ChecksumLineKind::Comment;

    bool understood = false;
    if (line.front() == L'\\') {
        const std::wstring_view escaped = line.substr(1);
        understood = (ParseGnu(escaped, parsed) || ParseBsd(escaped, parsed)) && Unescape(parsed.path);
    }
    if (!understood)
        understood = ParseGnu(line, parsed) || ParseBsd(line, parsed) || ParseCopyLine(line, parsed) ||
                     ParseSfv(line, parsed);
    if (!understood || !FinishPath(parsed.path)) return ChecksumLineKind::NotUnderstood;
    return ChecksumLineKind::Entry;
}

bool ParseSingleDigest(std::wstring_view text, ChecksumDigest& digest) noexcept
{
    text = Trim(text, IsSpaceAround);
    // A tag and the longest digest, with room for spaces between them.
    if (text.size() > 80) return false;
    if (text.find(L':') != std::wstring_view::npos) return ParseTagged(text, digest);
    return ParseHexDigest(text, digest);
}

bool FindTaggedDigest(std::wstring_view columns, ChecksumAlgorithm algorithm, ChecksumDigest& digest) noexcept
{
    for (;;) {
        const std::size_t next = columns.find(L'\t');
        ChecksumDigest found;
        if (ParseTagged(columns.substr(0, next), found) && found.algorithm == algorithm) {
            digest = found;
            return true;
        }
        if (next == std::wstring_view::npos) return false;
        columns.remove_prefix(next + 1);
    }
}

} // namespace lumbrix
