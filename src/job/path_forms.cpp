#include "job/path_forms.h"

#include "common/long_path.h"
#include "common/message_box.h"
#include "common/progress_report.h"
#include "common/text_table.h"
#include "job/copy_request.h"
#include "job/copy_results.h"
#include "job/path_styles.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string_view>
#include <utility>

namespace lumbrix {
namespace {

constexpr DWORD kPathCapacity = 32768; // units, terminator included
// Items that may wait for the network names before the walk waits too: a few
// MiB, and more than the walk finds while a quick lookup runs.
constexpr std::size_t kMaxDeferredEntries = 16384;

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

// What the column of mode holds, for the path styles.
ColumnKind ColumnKindOf(std::int32_t mode) noexcept
{
    switch (mode) {
    case FullPath:
    case FullPathWithSubfolders:
        return ColumnKind::FullPath;
    case NameOnly:
        return ColumnKind::Name;
    case NameWithoutExtension:
        return ColumnKind::NameWithoutExtension;
    default:
        return ColumnKind::Relative;
    }
}

// out := JoinPath(a, b), in out's own memory.
void AssignJoined(std::wstring& out, const std::wstring& a, const std::wstring& b)
{
    out.assign(a);
    if (!a.empty() && a.back() != L'\\') out += L'\\';
    out += b;
}

// The line in results.lineScratch (and, when named, its file in
// sourceScratch) formed and added.
void AddFormedEntry(const CopyRequest& request, CopyResults& results, ProgressReport& report, std::int64_t size,
                    bool folder, bool named, bool onlineOnly)
{
    std::wstring& line = results.lineScratch;
    const std::wstring& source = results.sourceScratch;
    const bool digests = request.options.AnyDigest();
    // The short names are in the paths already; the style, the escape or URL
    // option and the quotes follow in that order.
    const OutputOptions& options = request.options;
    FormPathColumn(line, ColumnKindOf(request.mode), folder,
                   MakeColumnForm(options, options.pathStyle, options.quoteStyle),
                   results.networkNames ? &*results.networkNames : nullptr);
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
    case NameWithoutExtension:
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

    // A full path waits while the network names are asked for, so that the
    // walk goes on meanwhile; the items keep the order they were found in.
    if (results.networkNames && ColumnKindOf(request.mode) == ColumnKind::FullPath) {
        std::vector<CopyResults::DeferredEntry>& deferred = results.deferredEntries;
        const bool waiting = !results.networkNames->Settled() && deferred.size() < kMaxDeferredEntries;
        if (waiting || !deferred.empty()) {
            // Once the waiting ends the line at hand goes after the others:
            // its buffers are theirs to use.
            deferred.push_back({line, named ? source : std::wstring(), size, folder, named, onlineOnly});
            if (waiting)
                report.DetailText().Set(line);
            else
                AddDeferredEntries(request, results, report);
            return;
        }
    }
    AddFormedEntry(request, results, report, size, folder, named, onlineOnly);
}

void AddDeferredEntries(const CopyRequest& request, CopyResults& results, ProgressReport& report)
{
    std::vector<CopyResults::DeferredEntry> deferred = std::move(results.deferredEntries);
    results.deferredEntries.clear();
    for (CopyResults::DeferredEntry& entry : deferred) {
        results.lineScratch.swap(entry.column);
        results.sourceScratch.swap(entry.source);
        AddFormedEntry(request, results, report, entry.size, entry.folder, entry.named, entry.onlineOnly);
    }
    // The vector's memory serves the next wait, if any.
    deferred.clear();
    results.deferredEntries = std::move(deferred);
}

} // namespace lumbrix
