#include "job/path_strings.h"

#include <cstdio>

namespace lumbrix {
namespace {

bool IsAsciiLetter(wchar_t c) noexcept { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }
bool IsAsciiDigit(wchar_t c) noexcept { return c >= L'0' && c <= L'9'; }

// Units that a file URL keeps as they are: letters, digits, eleven marks, and
// everything outside ASCII (which stays UTF-16, not UTF-8 bytes).
bool KeptInUrl(wchar_t c) noexcept
{
    if (c >= 0x80 || IsAsciiLetter(c) || IsAsciiDigit(c)) return true;
    switch (c) {
    case L':': case L'!': case L'\'': case L'(': case L')': case L'*':
    case L'-': case L'.': case L'/': case L'_': case L'~':
        return true;
    default:
        return false;
    }
}

} // namespace

bool IsDriveRoot(std::wstring_view path) noexcept
{
    return path.size() == 3 && IsAsciiLetter(path[0]) && path[1] == L':' && path[2] == L'\\';
}

std::wstring ParentPart(const std::wstring& path)
{
    if (IsDriveRoot(path)) return path;
    const std::size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? path : path.substr(0, slash);
}

std::wstring NamePart(const std::wstring& path)
{
    if (IsDriveRoot(path)) return {};
    const std::size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring StripFirstComponent(const std::wstring& rel)
{
    const std::size_t slash = rel.find(L'\\');
    return slash == std::wstring::npos ? std::wstring() : rel.substr(slash + 1);
}

std::wstring JoinPath(const std::wstring& a, const std::wstring& b)
{
    if (a.empty()) return b;
    std::wstring joined;
    joined.reserve(a.size() + 1 + b.size());
    joined += a;
    if (a.back() != L'\\') joined += L'\\';
    joined += b;
    return joined;
}

std::wstring DoubleBackslashes(const std::wstring& s)
{
    std::wstring doubled;
    doubled.reserve(s.size() + s.size() / 4);
    for (wchar_t c : s) {
        doubled += c;
        if (c == L'\\') doubled += L'\\';
    }
    return doubled;
}

std::wstring ToFileUrl(const std::wstring& s)
{
    std::wstring url = s;
    for (wchar_t& c : url)
        if (c == L'\\') c = L'/';
    if (url.size() >= 3 && IsAsciiLetter(url[0]) && url[1] == L':' && url[2] == L'/')
        url.insert(0, L"file://");
    else if (url.size() >= 2 && url[0] == L'/' && url[1] == L'/')
        url.insert(0, L"file:///");
    return PercentEncode(url);
}

std::wstring PercentEncode(const std::wstring& s)
{
    static constexpr wchar_t kHex[] = L"0123456789ABCDEF";
    std::wstring encoded;
    encoded.reserve(s.size());
    for (wchar_t c : s) {
        if (KeptInUrl(c)) {
            encoded += c;
        } else {
            encoded += L'%';
            encoded += kHex[(c >> 4) & 0xF];
            encoded += kHex[c & 0xF];
        }
    }
    return encoded;
}

std::wstring FormatGrouped(std::int64_t n)
{
    // The magnitude as unsigned, so that the most negative value has one too.
    std::uint64_t magnitude = n < 0 ? ~static_cast<std::uint64_t>(n) + 1 : static_cast<std::uint64_t>(n);
    wchar_t digits[32];
    std::size_t at = sizeof(digits) / sizeof(digits[0]);
    int inGroup = 0;
    do {
        if (inGroup == 3) {
            digits[--at] = L',';
            inGroup = 0;
        }
        digits[--at] = static_cast<wchar_t>(L'0' + magnitude % 10);
        magnitude /= 10;
        ++inGroup;
    } while (magnitude != 0);
    if (n < 0) digits[--at] = L'-';
    return std::wstring(digits + at, digits + sizeof(digits) / sizeof(digits[0]));
}

void ReplaceControlCharacters(std::wstring& s) noexcept
{
    constexpr wchar_t kControlPictures = 0x2400;
    for (wchar_t& c : s)
        if (c != 0 && c < 0x20) c = static_cast<wchar_t>(kControlPictures + c);
}

std::wstring WithoutTrailingBackslashes(std::wstring path)
{
    const std::size_t last = path.find_last_not_of(L'\\');
    if (last == std::wstring::npos || last + 1 == path.size()) return path; // backslashes alone, or none at the end
    path.resize(path[last] == L':' ? last + 2 : last + 1);
    return path;
}

} // namespace lumbrix
