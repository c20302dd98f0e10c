#include "job/selection_expansion.h"

#include "common/unique_any.h"
#include "job/copy_job.h"
#include "common/folder_check.h"
#include "common/long_path.h"
#include "job/path_forms.h"
#include "progress/progress_window.h"

#include <windows.h>

namespace lumbrix {
namespace {

bool IsWalkingMode(std::int32_t mode) noexcept
{
    return mode == FullPathWithSubfolders || mode == RelativeWithSubfolders || mode == RelativeOneLevelDown;
}

void ExpandWalking(CopyJob& job)
{
    const auto count = static_cast<unsigned>(job.request.selection.Size());
    const bool listFolders = job.request.options[OutputDirectory];
    const bool shortNames = job.request.options[OutputShortFileName];
    unsigned number = 0;
    for (const std::wstring& path : job.request.selection) {
        const WalkSpan span{kWalkProgressScale * number / count, kWalkProgressScale * (number + 1) / count};
        ++number;
        job.progress.statusText.Format(L"検索しています(%u/%u) %s", number, count, path.c_str());
        const std::wstring resolved = ResolvePath(path, shortNames);
        const std::wstring base = ParentPart(resolved);
        const std::wstring name = NamePart(resolved);
        const bool folder = IsFolderOnDisk(resolved);
        if (listFolders || !folder)
            AddEntry(job, base, name, folder ? 0 : static_cast<std::int64_t>(QueryFileSize(resolved)), folder);
        // A selected folder is walked even when it is a link; OutputJunction
        // only concerns links met inside the walk.
        if (folder) WalkFolder(job, base, name, span);
        job.progress.position = span.to;
    }
}

void ExpandSelected(CopyJob& job)
{
    const bool listFolders = job.request.options[OutputDirectory];
    const bool shortNames = job.request.options[OutputShortFileName];
    job.progress.statusText.Set(L"検索しています");
    std::uint64_t number = 0;
    for (const std::wstring& path : job.request.selection) {
        ++number;
        const std::wstring resolved = ResolvePath(path, shortNames);
        job.progress.detailText.Set(resolved);
        job.progress.position = number;
        const bool folder = IsFolderOnDisk(resolved);
        if (!listFolders && folder) continue;
        AddEntry(job, resolved, std::wstring(), folder ? 0 : static_cast<std::int64_t>(QueryFileSize(resolved)),
                 folder);
    }
}

} // namespace

void ExpandSelection(CopyJob& job)
{
    // No counting pass precedes the walk: each selected item has its share
    // of the bar, and a walk moves through its share by the folders it has
    // left at each level.
    const bool walking = IsWalkingMode(job.request.mode);
    PostProgressMessage(job.progress, WM_PROGRESS_SETRANGE,
                        walking ? kWalkProgressScale : job.request.selection.Size());
    job.progress.position = 0;
    // The loops over the selection do not look at running: after a cancel the
    // remaining items still get their own lines, and every walk ends at once.
    if (walking)
        ExpandWalking(job);
    else
        ExpandSelected(job);
}

bool ArrangeResults(CopyJob& job)
{
    ResultList& lines = job.results.lines;
    if (lines.Arranged()) return true;
    job.progress.statusText.Set(L"並べ替えています");
    job.progress.detailText.Clear();
    job.progress.position = 0;
    PostProgressMessage(job.progress, WM_PROGRESS_SETRANGE, static_cast<WPARAM>(ResultList::ArrangeSteps(lines.size())));
    PostProgressMessage(job.progress, WM_PROGRESS_UPDATE);
    return lines.Arrange(ArrangeWatch{&job.progress.running, &job.progress.position});
}

std::uint64_t QueryFileSize(const std::wstring& path) noexcept
{
    // Attribute access only: it conflicts with no sharing mode, so a file that
    // another program holds open for writing still shows its real size. A
    // folder cannot be opened this way and gives 0.
    UniqueFile file;
    try {
        file.reset(::CreateFileW(ToExtendedLengthPath(path).c_str(), FILE_READ_ATTRIBUTES,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    } catch (...) { // no memory for the path
        return 0;
    }
    if (!file) return 0;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart < 0) return 0;
    return static_cast<std::uint64_t>(size.QuadPart);
}

} // namespace lumbrix
