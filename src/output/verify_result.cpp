#include "output/verify_result.h"

#include "common/checksum_texts.h"
#include "common/message_box.h"
#include "common/progress_report.h"
#include "job/copy_results.h"
#include "output/clipboard_transfer.h"
#include "output/output_messages.h"
#include "output/verify_report_block.h"

#include <new>
#include <string>

namespace lumbrix {
namespace {

constexpr VerifyStatus kShownStatuses[] = {VerifyStatus::Match, VerifyStatus::Mismatch, VerifyStatus::NotFound,
                                           VerifyStatus::Unreadable, VerifyStatus::NotListed};

std::wstring Count(std::uint64_t count) { return std::to_wstring(count); }

} // namespace

const VerifyStatusTexts& StatusTexts() noexcept
{
    static const VerifyStatusTexts texts = {L"",
                                            kStatusMatch.japanese,
                                            kStatusMismatch.japanese,
                                            kStatusNotFound.japanese,
                                            kStatusUnreadable.japanese,
                                            kStatusNotListed.japanese,
                                            L""};
    return texts;
}

std::wstring VerifyResultText(const VerifyCounts& counts, const ChecksumDigest* expected,
                              const ChecksumDigest* computed)
{
    const bool allMatched = counts.AllMatched();
    std::wstring text = allMatched ? FillText(kAllMatched.japanese, {Count(counts[VerifyStatus::Match])})
                                   : std::wstring(kSomeDiffer.japanese) + L"\r\n";
    if (!allMatched)
        for (const VerifyStatus status : kShownStatuses)
            if (counts[status] != 0)
                text += L"\r\n" + FillText(kStatusCount.japanese, {StatusTexts()[std::size_t(status)],
                                                                   Count(counts[status])});
    if (expected && computed) {
        text += L"\r\n\r\n" + FillText(kExpectedDigest.japanese, {FormatHexDigest(*expected, false)});
        text += L"\r\n" + FillText(kComputedDigest.japanese, {FormatHexDigest(*computed, false)});
    }
    if (!allMatched) text += L"\r\n\r\n" + std::wstring(kCopyReportQuestion.japanese);
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
        return ShowMessage(report.BoxOwner(), allMatched ? kStatusMatch.japanese : kSomeDiffer.japanese, type) ==
               IDYES;
    }
}

bool CopyVerifyReport(ChecksumStore& store, CopyResults& results, ProgressReport& report,
                      const StepHook& afterFailedTry) noexcept
{
    if (!report.IsRunning()) return false;
    results.text = BuildVerifyReportBlock(store, StatusTexts(), true);
    if (!results.text) {
        report.FreezeTimer();
        ShowOutputError(report, L"メモリの確保に失敗しました。");
        return false;
    }
    // For the clipboard's box, should it refuse the block: its size.
    results.totalChars = ::GlobalSize(results.text.get()) / sizeof(wchar_t) - 1;
    report.ResumeTimer();
    return CopyToClipboard(results, report, afterFailedTry);
}

} // namespace lumbrix
