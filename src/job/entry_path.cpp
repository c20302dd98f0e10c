#include "job/entry_path.h"

#include <algorithm>

namespace lumbrix {
namespace {

constexpr std::size_t kLongestPath = 32767;

bool IsLetter(wchar_t c) noexcept { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }
bool IsSeparator(wchar_t c) noexcept { return c == L'\\' || c == L'/'; }

bool EqualsUpper(std::wstring_view text, std::wstring_view upper) noexcept
{
    if (text.size() != upper.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i] >= L'a' && text[i] <= L'z' ? wchar_t(text[i] - 0x20) : text[i];
        if (c != upper[i]) return false;
    }
    return true;
}

// CON, PRN, AUX, NUL, COM0-9, LPT0-9 (the superscript digits too), CONIN$,
// CONOUT$: device names in any folder for the ordinary path form, also with
// an extension or trailing dots and spaces.
bool IsReservedDeviceName(std::wstring_view part) noexcept
{
    std::wstring_view stem = part.substr(0, part.find(L'.'));
    while (!stem.empty() && stem.back() == L' ') stem.remove_suffix(1);
    if (EqualsUpper(stem, L"CON") || EqualsUpper(stem, L"PRN") || EqualsUpper(stem, L"AUX") ||
        EqualsUpper(stem, L"NUL") || EqualsUpper(stem, L"CONIN$") || EqualsUpper(stem, L"CONOUT$"))
        return true;
    if (stem.size() != 4 || !(EqualsUpper(stem.substr(0, 3), L"COM") || EqualsUpper(stem.substr(0, 3), L"LPT")))
        return false;
    const wchar_t digit = stem[3];
    return (digit >= L'0' && digit <= L'9') || digit == 0x00B9 || digit == 0x00B2 || digit == 0x00B3;
}

// The root of a full path ("C:" or "\\server\share") and where its parts begin.
bool SplitRoot(std::wstring_view path, std::wstring_view& root, std::wstring_view& rest) noexcept
{
    if (path.size() >= 2 && IsLetter(path[0]) && path[1] == L':' && (path.size() == 2 || IsSeparator(path[2]))) {
        root = path.substr(0, 2);
        rest = path.substr(std::min<std::size_t>(path.size(), 3));
        return true;
    }
    if (path.size() >= 3 && IsSeparator(path[0]) && IsSeparator(path[1]) && !IsSeparator(path[2])) {
        // \\server\share: the root spans two parts.
        std::size_t end = 2;
        for (int parts = 0; parts < 2 && end <= path.size(); ++parts) {
            while (end < path.size() && !IsSeparator(path[end])) ++end;
            if (parts == 0) ++end;
        }
        if (end > path.size()) return false;
        root = path.substr(0, end);
        rest = path.substr(std::min(path.size(), end + 1));
        return root.size() > 3 && !IsSeparator(root.back());
    }
    return false;
}

// Appends the parts of rest to full (which holds a root and its parts so
// far), resolving "." and "..". False on a part that must not be opened.
bool AppendParts(std::wstring& full, std::size_t rootLength, std::wstring_view rest)
{
    bool safe = true;
    std::size_t begin = 0;
    while (begin <= rest.size()) {
        std::size_t end = begin;
        while (end < rest.size() && !IsSeparator(rest[end])) ++end;
        const std::wstring_view part = rest.substr(begin, end - begin);
        begin = end + 1;
        if (part.empty() || part == L".") continue;
        if (part == L"..") {
            const std::size_t cut = full.rfind(L'\\');
            full.resize(cut == std::wstring::npos || cut < rootLength ? rootLength : cut);
            continue;
        }
        if (part.find(L':') != std::wstring_view::npos || IsReservedDeviceName(part)) safe = false;
        full += L'\\';
        full += part;
    }
    return safe;
}

void AssignWritten(std::wstring& full, std::wstring_view written)
{
    full.assign(written);
    for (wchar_t& c : full)
        if (c == L'/') c = L'\\';
}

} // namespace

EntryPathKind ResolveEntryPath(std::wstring_view written, std::wstring_view baseFolder, std::wstring& full)
{
    // Two separators first: a network share, "\\?\", "\\.\" or "//server".
    // "\??\" hands a path to the system's object names unchanged.
    if ((written.size() >= 2 && IsSeparator(written[0]) && IsSeparator(written[1])) ||
        (written.size() >= 4 && IsSeparator(written[0]) && written[1] == L'?' && written[2] == L'?' &&
         IsSeparator(written[3]))) {
        AssignWritten(full, written);
        return EntryPathKind::Unsafe;
    }

    std::wstring_view root;
    std::wstring_view rest;
    std::wstring_view baseRest;
    std::wstring shareBase;
    if (written.size() >= 2 && IsLetter(written[0]) && written[1] == L':') {
        if (written.size() == 2 || !IsSeparator(written[2])) {
            AssignWritten(full, written);
            return written.find(L':', 2) != std::wstring_view::npos ? EntryPathKind::Unsafe : EntryPathKind::Invalid;
        }
        SplitRoot(written, root, rest);
    } else {
        if (baseFolder.rfind(L"\\\\?\\UNC\\", 0) == 0) {
            // "\\?\UNC\server\share" is "\\server\share".
            shareBase.assign(L"\\\\").append(baseFolder.substr(8));
            baseFolder = shareBase;
        } else if (baseFolder.rfind(L"\\\\?\\", 0) == 0) {
            baseFolder.remove_prefix(4);
        }
        if (!SplitRoot(baseFolder, root, baseRest)) {
            AssignWritten(full, written);
            return EntryPathKind::Invalid;
        }
        rest = written;
        if (!written.empty() && IsSeparator(written[0])) baseRest = {};
    }

    full.assign(root);
    for (wchar_t& c : full)
        if (c == L'/') c = L'\\';
    const std::size_t rootLength = full.size();
    AppendParts(full, rootLength, baseRest);
    const bool safe = AppendParts(full, rootLength, rest);
    if (full.size() == rootLength && rootLength == 2) full += L'\\'; // a drive's root: "C:\"
    if (!safe) return EntryPathKind::Unsafe;
    return full.size() > kLongestPath ? EntryPathKind::Invalid : EntryPathKind::Local;
}

} // namespace lumbrix
