#include "job/path_styles.h"

#include "job/path_strings.h"

#include <algorithm>
#include <array>

namespace lumbrix {
namespace {

bool IsAsciiLetter(wchar_t c) noexcept { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }
wchar_t AsciiLower(wchar_t c) noexcept { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }
wchar_t AsciiUpper(wchar_t c) noexcept { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

// The start of a path that the styles rewrite: a drive ("C:", "\\?\C:") or
// the "\\" of a network path ("\\", "\\?\UNC\"), and how many units it spans.
struct PathHead {
    enum Kind { Drive, Network, Other } kind = Other;
    std::size_t length = 0;
    wchar_t letter = 0;
};

// "\\?\" (extended length) or "\\.\" (device): both reach the same files.
std::size_t ExtendedPrefixLength(std::wstring_view path) noexcept
{
    const bool prefixed = path.size() >= 4 && path[0] == L'\\' && path[1] == L'\\' &&
                          (path[2] == L'?' || path[2] == L'.') && path[3] == L'\\';
    return prefixed ? 4 : 0;
}

PathHead HeadOf(std::wstring_view path) noexcept
{
    const std::size_t prefix = ExtendedPrefixLength(path);
    // A drive is a letter and a colon, then a backslash or the end.
    if (path.size() >= prefix + 2 && IsAsciiLetter(path[prefix]) && path[prefix + 1] == L':' &&
        (path.size() == prefix + 2 || path[prefix + 2] == L'\\'))
        return {PathHead::Drive, prefix + 2, path[prefix]};
    if (prefix == 0 && path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\') return {PathHead::Network, 2, 0};
    if (prefix != 0 && path.size() >= 8 && (path[4] == L'U' || path[4] == L'u') && (path[5] == L'N' || path[5] == L'n') &&
        (path[6] == L'C' || path[6] == L'c') && path[7] == L'\\')
        return {PathHead::Network, 8, 0};
    return {};
}

// Every backslash written twice, filled from the back in the string's own buffer.
void DoubleBackslashesInPlace(std::wstring& text)
{
    const std::size_t count = static_cast<std::size_t>(std::count(text.begin(), text.end(), L'\\'));
    if (count == 0) return;
    std::size_t from = text.size();
    text.resize(from + count);
    for (std::size_t to = text.size(); from-- > 0;) {
        const wchar_t c = text[from];
        text[--to] = c;
        if (c == L'\\') text[--to] = c;
    }
}

// The units below 128 that make a command line split or reinterpret a word.
constexpr std::array<bool, 128> SpecialUnits() noexcept
{
    std::array<bool, 128> special{};
    for (const wchar_t c : std::wstring_view(L" &()[]{}^=;!'+,`~%\"")) special[static_cast<std::size_t>(c)] = true;
    return special;
}
constexpr std::array<bool, 128> kSpecialUnits = SpecialUnits();

} // namespace

ColumnForm MakeColumnForm(const OutputOptions& options, PathStyle style, QuoteStyle quotes) noexcept
{
    return ColumnForm{style, quotes, options[EscapePathSeparator], options[OutputURL]};
}

void FormPathColumn(std::wstring& column, ColumnKind kind, bool folder, const ColumnForm& form,
                    DriveRemoteNames* remoteNames)
{
    if (kind == ColumnKind::NameWithoutExtension && !folder) RemoveLastExtension(column);
    // The doubling wins over the URL form, as it does without a style.
    const bool url = form.fileUrl && !form.doubleBackslashes;
    switch (form.style) {
    case PathStyle::Windows:
        break;
    case PathStyle::NetworkUnc:
        if (kind == ColumnKind::FullPath && remoteNames) ReplaceMappedDrive(column, *remoteNames, !url);
        break;
    default:
        // A URL is a form of its own; the slashes it has come with it.
        if (!url) ApplyPathStyle(column, form.style);
        break;
    }
    if (form.doubleBackslashes) {
        DoubleBackslashesInPlace(column);
    } else if (url) {
        // The Windows style keeps the URL it has always given.
        if (form.style != PathStyle::Windows) DropExtendedPrefix(column);
        column = ToFileUrl(column);
    }
    QuoteColumn(column, form.quotes);
}

bool ReplaceMappedDrive(std::wstring& path, DriveRemoteNames& remoteNames, bool keepExtended)
{
    const PathHead head = HeadOf(path);
    if (head.kind != PathHead::Drive) return false;
    const std::wstring_view remote = UsableRemoteName(remoteNames.RemoteNameOf(AsciiUpper(head.letter)));
    if (remote.empty()) return false;
    std::size_t replaced = head.length;
    if (path.size() == replaced + 1) ++replaced; // the drive root is the share itself, without a separator
    const bool extended = head.length > 2;
    path.replace(0, replaced, remote.data(), remote.size());
    if (extended && keepExtended) path.replace(0, 2, L"\\\\?\\UNC\\");
    return true;
}

void ApplyPathStyle(std::wstring& path, PathStyle style)
{
    if (style != PathStyle::Slashes && style != PathStyle::Wsl && style != PathStyle::Msys) return;
    const PathHead head = HeadOf(path);
    wchar_t lead[6] = {};
    std::size_t leadLength = 0;
    if (head.kind == PathHead::Drive) {
        const wchar_t letter = AsciiLower(head.letter);
        if (style == PathStyle::Slashes) {
            lead[0] = head.letter;
            lead[1] = L':';
            leadLength = 2;
        } else if (style == PathStyle::Wsl) {
            std::copy_n(L"/mnt/", 5, lead);
            lead[5] = letter;
            leadLength = 6;
        } else {
            lead[0] = L'/';
            lead[1] = letter;
            leadLength = 2;
        }
    } else if (head.kind == PathHead::Network) {
        lead[0] = lead[1] = L'/';
        leadLength = 2;
    }
    path.replace(0, head.length, lead, leadLength);
    // Written without a branch, so that the compiler can do many units at once.
    for (wchar_t *unit = path.data() + leadLength, *end = path.data() + path.size(); unit != end; ++unit)
        *unit = *unit == L'\\' ? L'/' : *unit;
}

void DropExtendedPrefix(std::wstring& path)
{
    const PathHead head = HeadOf(path);
    if (head.length <= 2) return; // no prefix, or one that leads elsewhere (a volume, a device)
    if (head.kind == PathHead::Drive)
        path.erase(0, 4);
    else
        path.replace(0, head.length, L"\\\\");
}

bool NeedsQuotes(std::wstring_view column) noexcept
{
    for (const wchar_t c : column)
        if (static_cast<std::uint32_t>(c) < 128 && kSpecialUnits[static_cast<std::size_t>(c)]) return true;
    return false;
}

void QuoteColumn(std::wstring& column, QuoteStyle quotes)
{
    if (quotes == QuoteStyle::None || (quotes == QuoteStyle::WhereNeeded && !NeedsQuotes(column))) return;
    const std::size_t inner =
        column.find(L'"') == std::wstring::npos ? 0 : static_cast<std::size_t>(std::count(column.begin(), column.end(), L'"'));
    std::size_t from = column.size();
    column.resize(from + inner + 2);
    std::size_t to = column.size();
    column[--to] = L'"';
    if (inner == 0) {
        std::copy_backward(column.data(), column.data() + from, column.data() + to);
    } else {
        while (from-- > 0) {
            const wchar_t c = column[from];
            column[--to] = c;
            if (c == L'"') column[--to] = c;
        }
    }
    column[0] = L'"';
}

void RemoveLastExtension(std::wstring& name)
{
    const std::size_t separator = name.rfind(L'\\');
    const std::size_t start = separator == std::wstring::npos ? 0 : separator + 1;
    // Leading dots belong to the name: .gitignore has no extension.
    const std::size_t stem = name.find_first_not_of(L'.', start);
    if (stem == std::wstring::npos) return;
    const std::size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos && dot > stem) name.erase(dot);
}

std::wstring_view UsableRemoteName(std::wstring_view remote) noexcept
{
    // "\\server...", not a device or extended-length path, not "\\\".
    if (remote.size() < 3 || remote[0] != L'\\' || remote[1] != L'\\' || remote[2] == L'\\' || remote[2] == L'?' ||
        remote[2] == L'.')
        return {};
    while (remote.back() == L'\\') remote.remove_suffix(1);
    return remote;
}

} // namespace lumbrix
