#include "job/path_forms.h"

#include "job/copy_job.h"
#include "common/long_path.h"
#include "common/message_box.h"

#include <windows.h>

#include <memory>
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

// Runs GetShortPathNameW or GetLongPathNameW on path; false when it fails.
// From MAX_PATH on only the extended form is used: the plain form may be
// refused there (and some implementations overrun a MAX_PATH buffer on it).
// The ordinary form comes back either way.
bool ConvertPath(PathConversion convert, std::wstring& path, wchar_t* buffer)
{
    const std::wstring extended = path.size() < MAX_PATH ? std::wstring() : ToExtendedLengthPath(path);
    if (path.size() >= MAX_PATH && extended == path) return false;
    const DWORD length = convert(extended.empty() ? path.c_str() : extended.c_str(), buffer, kPathCapacity);
    if (length == 0 || length >= kPathCapacity) return false;
    path = WithoutExtendedPrefix(std::wstring(buffer, length));
    return true;
}

} // namespace

std::wstring ResolvePath(const std::wstring& path, bool useShortNames)
{
    const std::unique_ptr<wchar_t[]> buffer(new wchar_t[kPathCapacity]);
    const DWORD length = ::GetFullPathNameW(path.c_str(), kPathCapacity, buffer.get(), nullptr);
    if (length == 0 || length >= kPathCapacity) return path;
    std::wstring resolved(buffer.get(), length);
    if (useShortNames && ConvertPath(::GetShortPathNameW, resolved, buffer.get())) return resolved;
    ConvertPath(::GetLongPathNameW, resolved, buffer.get());
    return resolved;
}

void AddEntry(CopyJob& job, const std::wstring& base, const std::wstring& rel, std::int64_t size, bool folder)
{
    std::wstring line;
    std::wstring source;
    switch (job.request.mode) {
    case FullPath:
        line = base;
        source = base;
        break;
    case FullPathWithSubfolders:
        line = JoinPath(base, rel);
        source = line;
        break;
    case RelativeWithSubfolders:
        line = rel;
        source = JoinPath(base, rel);
        break;
    case RelativeOneLevelDown:
        line = IsDriveRoot(base) ? rel : StripFirstComponent(rel);
        source = JoinPath(base, rel);
        break;
    case NameOnly:
        line = IsDriveRoot(base) ? base : NamePart(base);
        source = base;
        break;
    default:
        ShowMessage(nullptr, L"予期しないエラーです。", MB_ICONINFORMATION);
        return;
    }
    // An empty column leaves the item out (a selected folder one level up, a drive root).
    if (line.empty()) return;

    if (job.request.options[EscapePathSeparator])
        line = DoubleBackslashes(line);
    else if (job.request.options[OutputURL])
        line = ToFileUrl(line);
    job.progress.detailText.Set(line);

    if (job.request.options[OutputSize] && !folder) {
        // Grown once to its final length, which the result list then keeps as it is.
        const std::wstring grouped = FormatGrouped(size);
        line.reserve(line.size() + 1 + grouped.size() + 6);
        line += L'\t';
        line += grouped;
        line += L" bytes";
    }

    // Duplicates count too: the totals only size the later phases' work.
    job.results.totalChars += line.size() + 2;
    if (job.request.options.AnyDigest())
        job.results.totalBytes += size;
    else
        source.clear();
    job.results.lines.Insert(ResultEntry{std::move(line), std::move(source), folder});
}

} // namespace lumbrix
