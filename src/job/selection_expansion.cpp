#include "job/selection_expansion.h"

#include "common/item_attributes.h"
#include "common/long_path.h"
#include "common/progress_report.h"
#include "common/text_format.h"
#include "common/text_table.h"
#include "common/unique_any.h"
#include "job/copy_request.h"
#include "job/copy_results.h"
#include "job/folder_walk.h"
#include "job/path_forms.h"

#include <windows.h>

namespace lumbrix {
namespace {

bool IsWalkingMode(std::int32_t mode) noexcept
{
    return mode == FullPathWithSubfolders || mode == RelativeWithSubfolders || mode == RelativeOneLevelDown;
}

// A selected item's line; an item that cannot be asked counts as a file.
void AddSelected(const CopyRequest& request, CopyResults& results, ProgressReport& report, const std::wstring& base,
                 const std::wstring& rel, const std::wstring& resolved, const ItemAttributes& attributes)
{
    const bool folder = attributes.IsFolder();
    AddEntry(request, results, report, base, rel, folder ? 0 : static_cast<std::int64_t>(QueryFileSize(resolved)),
             folder, !folder && attributes.IsOnlineOnly());
}

void ExpandWalking(const CopyRequest& request, CopyResults& results, ProgressReport& report,
                   const StepHook& afterFolder, const StepHook& afterSelected)
{
    const auto count = static_cast<unsigned>(request.selection.Size());
    const bool listFolders = request.options[OutputDirectory];
    const bool shortNames = request.options[OutputShortFileName];
    unsigned number = 0;
    for (const std::wstring& path : request.selection) {
        if (!report.IsRunning()) return;
        const WalkSpan span{kWalkProgressScale * number / count, kWalkProgressScale * (number + 1) / count};
        ++number;
        report.StatusText().Format(FormatText(IDS_STEP_SEARCHING_ITEM, L"(%u/%u) %s"), number, count, path.c_str());
        const std::wstring resolved = ResolvePath(path, shortNames);
        const std::wstring base = ParentPart(resolved);
        const std::wstring name = NamePart(resolved);
        const ItemAttributes attributes = AttributesOfPath(resolved);
        if (listFolders || !attributes.IsFolder()) AddSelected(request, results, report, base, name, resolved, attributes);
        // A selected folder is walked even when it is a link; OutputJunction
        // only concerns links met inside the walk.
        if (attributes.IsFolder()) WalkFolder(request, results, report, base, name, span, afterFolder);
        report.SetPosition(span.to);
        afterSelected(report);
    }
}

void ExpandSelected(const CopyRequest& request, CopyResults& results, ProgressReport& report,
                    const StepHook& afterSelected)
{
    const bool listFolders = request.options[OutputDirectory];
    const bool shortNames = request.options[OutputShortFileName];
    report.StatusText().Set(Text(IDS_STEP_SEARCHING));
    std::uint64_t number = 0;
    for (const std::wstring& path : request.selection) {
        if (!report.IsRunning()) return;
        ++number;
        const std::wstring resolved = ResolvePath(path, shortNames);
        report.DetailText().Set(resolved);
        report.SetPosition(number);
        const ItemAttributes attributes = AttributesOfPath(resolved);
        if (listFolders || !attributes.IsFolder())
            AddSelected(request, results, report, resolved, std::wstring(), resolved, attributes);
        afterSelected(report);
    }
}

// The network names of the selection's drives, asked now so that the
// lookups run while the selection is resolved and walked.
void StartNetworkLookups(const CopyRequest& request, CopyResults& results, const ProgressReport& report)
{
    const bool fullPaths = request.mode == FullPath || request.mode == FullPathWithSubfolders;
    if (request.options.pathStyle != PathStyle::NetworkUnc || !fullPaths) return;
    NetworkDriveNames& names = results.networkNames.emplace(request.detachedThreads, &report.RunningFlag());
    for (const std::wstring& path : request.selection) names.Prefetch(path);
}

} // namespace

void ExpandSelection(const CopyRequest& request, CopyResults& results, ProgressReport& report,
                     const StepHook& afterFolder, const StepHook& afterSelected)
{
    // No counting pass precedes the walk: each selected item has its share
    // of the bar, and a walk moves through its share by the folders it has
    // left at each level.
    const bool walking = IsWalkingMode(request.mode);
    report.SetRange(walking ? kWalkProgressScale : request.selection.Size());
    report.SetPosition(0);
    // A cancel ends the loop over the selection at the next item and every
    // walk at its next entry: the lines made so far are not used.
    StartNetworkLookups(request, results, report);
    if (walking)
        ExpandWalking(request, results, report, afterFolder, afterSelected);
    else
        ExpandSelected(request, results, report, afterSelected);
    if (results.networkNames) {
        if (report.IsRunning()) AddDeferredEntries(request, results, report);
        // Lookups still running answer into memory of their own.
        results.networkNames.reset();
        results.deferredEntries = {};
    }
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
