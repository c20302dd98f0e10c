#include "job/path_forms.h"

#include "common/long_path.h"
#include "common/message_box.h"
#include "common/progress_report.h"
#include "common/text_table.h"
#include "job/copy_request.h"
#include "job/copy_results.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string_view>
#include <utility>

namespace lumbrix {
namespace {

constexpr DWORD kPathCapacity = 32768; // units, terminator included

// The path without the extended-length prefix that ToExtendedLengthPath adds.
std::wstring WithoutExtendedPrefix(std::wstring path)
{
    if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) return L"\\" + path.substr(7);
    if (path.rfind(L"\\\\?\\", 0) == 0) return path.substr(4);
    return path;
}

using PathConversion = DWORD(WINAPI*)(LPCWSTR, LPWSTR, DWORD);

// Whether a part of path ends in a dot or a space, which the plain form of a
// path loses ("notes." would name "notes").
bool HasNameEndingInDotOrSpace(const std::wstring& path) noexcept
{
    std::size_t begin = 0;
    for (;;) {
        const std::size_t end = std::min(path.find(L'\\', begin), path.size());
        const std::wstring_view part(path.data() + begin, end - begin);
        if (!part.empty() && part != L"." && part != L".." && (part.back() == L'.' || part.back() == L' '))
            return true;
        if (end == path.size()) return false;
        begin = end + 1;
    }
}

// Runs GetShortPathNameW or GetLongPathNameW on path; false when it fails.
// The extended form is used from MAX_PATH on, where the plain form may be
// refused (some implementations even overrun a MAX_PATH buffer on it), and for
// names that end in a dot or a space. The ordinary form comes back either way.
bool ConvertPath(PathConversion convert, std::wstring& path, wchar_t* buffer)
{
    const bool extend = path.size() >= MAX_PATH || HasNameEndingInDotOrSpace(path);
    const std::wstring extended = extend ? ToExtendedLengthPath(path) : path;
    if (extend && extended == path) return false;
    const DWORD length = convert(extended.c_str(), buffer, kPathCapacity);
    if (length == 0 || length >= kPathCapacity) return false;
    path = WithoutExtendedPrefix(std::wstring(buffer, length));
    return true;
}

// A full path with nothing to resolve: no "." or ".." part, no forward slash,
// no empty part. The shell hands over such paths; resolving them anyway would
// drop the trailing dots and spaces of names ("notes." would become "notes").
bool IsAlreadyFull(const std::wstring& path)
{
    if (ToExtendedLengthPath(path) == path || path.find(L'/') != std::wstring::npos) return false;
    const std::size_t start = path[0] == L'\\' ? 2 : 0; // past the "\\" of a network path
    for (std::size_t begin = start; begin <= path.size();) {
        std::size_t end = path.find(L'\\', begin);
        if (end == std::wstring::npos) end = path.size();
        const std::wstring_view part(path.data() + begin, end - begin);
        if ((part.empty() && end != path.size()) || part == L"." || part == L"..") return false;
        begin = end + 1;
    }
    return true;
}

// out := JoinPath(a, b), in out's own memory.
void AssignJoined(std::wstring& out, const std::wstring& a, const std::wstring& b)
{
    out.assign(a);
    if (!a.empty() && a.back() != L'\\') out += L'\\';
    out += b;
}

} // namespace

std::wstring ResolvePath(const std::wstring& given, bool useShortNames)
{
    const std::unique_ptr<wchar_t[]> buffer(new wchar_t[kPathCapacity]);
    // A folder named with a backslash at its end is that folder, not a root
    // whose lines would be relative to the folder itself.
    const std::wstring path = WithoutTrailingBackslashes(given);
    std::wstring resolved = path;
    if (!IsAlreadyFull(path)) {
        const DWORD length = ::GetFullPathNameW(path.c_str(), kPathCapacity, buffer.get(), nullptr);
        if (length == 0 || length >= kPathCapacity) return path;
        resolved.assign(buffer.get(), length);
    }
    if (useShortNames && ConvertPath(::GetShortPathNameW, resolved, buffer.get())) return resolved;
    ConvertPath(::GetLongPathNameW, resolved, buffer.get());
    return resolved;
}

void AddEntry(const CopyRequest& request, CopyResults& results, ProgressReport& report, const std::wstring& base,
              const std::wstring& rel, std::int64_t size, bool folder, bool onlineOnly)
{
    // Built in the results' own buffers, which the list copies from.
    std::wstring& line = results.lineScratch;
    std::wstring& source = results.sourceScratch;
    const bool digests = request.options.AnyDigest();
    // A file's line names its file where a column describes the file (the
    // digests read it): two files' lines are then never taken for one.
    const bool named = !folder && (digests || request.options[OutputSize]);
    switch (request.mode) {
    case FullPath:
        line.assign(base);
        if (named) source.assign(base);
        break;
    case FullPathWithSubfolders:
        AssignJoined(line, base, rel);
        if (named) source.assign(line);
        break;
    case RelativeWithSubfolders:
        line.assign(rel);
        if (named) AssignJoined(source, base, rel);
        break;
    case RelativeOneLevelDown:
        if (IsDriveRoot(base)) {
            line.assign(rel);
        } else {
            const std::size_t separator = rel.find(L'\\');
            line.assign(rel, separator == std::wstring::npos ? rel.size() : separator + 1);
        }
        if (named) AssignJoined(source, base, rel);
        break;
    case NameOnly:
        if (IsDriveRoot(base)) {
            line.assign(base);
        } else {
            const std::size_t separator = base.rfind(L'\\');
            line.assign(base, separator == std::wstring::npos ? 0 : separator + 1);
        }
        if (named) source.assign(base);
        break;
    default:
        ShowMessage(nullptr, Text(IDS_UNEXPECTED_ERROR), MB_ICONINFORMATION);
        return;
    }
    // An empty column leaves the item out (a selected folder one level up, a drive root).
    if (line.empty()) return;

    if (request.options[EscapePathSeparator])
        line = DoubleBackslashes(line);
    else if (request.options[OutputURL])
        line = ToFileUrl(line);
    // A TAB, CR or LF in a name must not split the line or its columns.
    ReplaceControlCharacters(line);
    report.DetailText().Set(line);

    if (request.options[OutputSize] && !folder) {
        line += L'\t';
        line += FormatGrouped(size);
        line += L" bytes";
    }

    // Duplicates count too: the totals only size the later phases' work.
    results.totalChars += line.size() + 2;
    if (digests) results.totalBytes += size;
    results.lines.Append(line, named ? std::wstring_view(source) : std::wstring_view(), folder, onlineOnly);
}

} // namespace lumbrix
