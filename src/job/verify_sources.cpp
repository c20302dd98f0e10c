#include "job/verify_sources.h"

#include "common/long_path.h"
#include "common/progress_report.h"
#include "common/text_table.h"
#include "job/result_list.h"
#include "job/selection_list.h"

#include <windows.h>

namespace lumbrix {
namespace {

constexpr std::size_t kFilesPerLook = 256;

std::uint64_t FileSize(const std::wstring& path) noexcept
try {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(ToExtendedLengthPath(path).c_str(), GetFileExInfoStandard, &data)) return 0;
    return std::uint64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
} catch (...) {
    return 0;
}

} // namespace

ListFileOutcome ReadVerifyList(const std::wstring& listPath, ChecksumStore& store, ProgressReport& report,
                               ListFileCounts& counts) noexcept
{
    counts = ListFileCounts{};
    if (!report.IsRunning()) return ListFileOutcome::Cancelled;
    report.StatusText().Set(Text(IDS_STEP_READING_CHECKSUM_FILE));
    report.DetailText().Set(listPath);
    report.SetPosition(0);
    report.SetRange(FileSize(listPath));
    return ReadChecksumListFile(listPath, store, report.RunningFlag(), counts, &report.PositionCounter());
}

bool JoinSelectedFiles(ChecksumStore& store, ChecksumTextKind kind, const ChecksumDigest& single,
                       const SelectionList& selection, ResultList& files, ProgressReport& report)
{
    if (kind == ChecksumTextKind::List) {
        store.KeepSelected(selection, &report.RunningFlag());
        if (!store.PrepareLookups(&report.RunningFlag())) return false;
    }
    std::size_t done = 0;
    for (const ResultLine& line : files) {
        if (++done % kFilesPerLook == 0 && !report.IsRunning()) return false;
        if (kind == ChecksumTextKind::SingleDigest)
            store.Add(line.text, single, true);
        else if (store.Find(line.text) == ChecksumStore::kNone)
            store.AddNotListed(line.text);
    }
    files.clear();
    return report.IsRunning();
}

} // namespace lumbrix
