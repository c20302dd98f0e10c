#include "output/verify_result.h"

#include "common/filled_text.h"
#include "common/message_box.h"
#include "common/progress_report.h"
#include "common/text_table.h"
#include "job/copy_results.h"
#include "output/clipboard_transfer.h"
#include "output/output_messages.h"
#include "output/verify_report_block.h"

#include <new>
#include <string>

namespace lumbrix {
namespace {

unsigned long long Count(std::uint64_t count) noexcept { return count; }

constexpr VerifyStatus kShownStatuses[] = {VerifyStatus::Match, VerifyStatus::Mismatch, VerifyStatus::NotFound,
                                           VerifyStatus::Unreadable, VerifyStatus::NotListed};


} // namespace

const VerifyStatusTexts& StatusTexts() noexcept
{
    static const VerifyStatusTexts texts = {L"",
                                            Text(IDS_STATUS_MATCH),
                                            Text(IDS_STATUS_MISMATCH),
                                            Text(IDS_STATUS_NOT_FOUND),
                                            Text(IDS_STATUS_UNREADABLE),
                                            Text(IDS_STATUS_NOT_LISTED),
                                            L""};
    return texts;
}

std::wstring VerifyResultText(const VerifyCounts& counts, const ChecksumDigest* expected,
                              const ChecksumDigest* computed)
{
    const bool allMatched = counts.AllMatched();
    std::wstring text = allMatched ? FilledText(IDS_ALL_MATCHED, L"%llu", Count(counts[VerifyStatus::Match]))
                                   : std::wstring(Text(IDS_SOME_DIFFER)) + L"\r\n";
    if (!allMatched)
        for (const VerifyStatus status : kShownStatuses)
            if (counts[status] != 0)
                text += L"\r\n" + FilledText(IDS_STATUS_COUNT, L"%ls: %llu", StatusTexts()[std::size_t(status)].data(),
                                              Count(counts[status]));
    if (expected && computed) {
        text += L"\r\n\r\n" + FilledText(IDS_EXPECTED_DIGEST, L"%ls", FormatHexDigest(*expected, false).c_str());
        text += L"\r\n" + FilledText(IDS_COMPUTED_DIGEST, L"%ls", FormatHexDigest(*computed, false).c_str());
    }
    if (!allMatched) text += L"\r\n\r\n" + std::wstring(Text(IDS_COPY_REPORT_QUESTION));
    return text;
}

bool ShowVerifyResult(ProgressReport& report, const VerifyCounts& counts, const ChecksumDigest* expected,
                      const ChecksumDigest* computed) noexcept
{
    const bool allMatched = counts.AllMatched();
    const UINT type = allMatched ? MB_ICONINFORMATION : MB_ICONWARNING | MB_YESNO;
    report.FreezeTimer();
    try {
        return ShowMessage(report.BoxOwner(), VerifyResultText(counts, expected, computed).c_str(), type) == IDYES;
    } catch (const std::bad_alloc&) {
        return ShowMessage(report.BoxOwner(), Text(allMatched ? IDS_STATUS_MATCH : IDS_SOME_DIFFER), type) == IDYES;
    }
}

bool CopyVerifyReport(ChecksumStore& store, CopyResults& results, ProgressReport& report,
                      const StepHook& afterFailedTry) noexcept
{
    if (!report.IsRunning()) return false;
    results.text = BuildVerifyReportBlock(store, StatusTexts(), true);
    if (!results.text) {
        report.FreezeTimer();
        ShowOutputError(report, IDS_ALLOCATION_FAILED);
        return false;
    }
    // For the clipboard's box, should it refuse the block: its size.
    results.totalChars = ::GlobalSize(results.text.get()) / sizeof(wchar_t) - 1;
    report.ResumeTimer();
    return CopyToClipboard(results, report, afterFailedTry);
}

} // namespace lumbrix
