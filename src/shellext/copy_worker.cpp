// The worker thread of one copy: progress window, expansion, sorting, digests,
// output. It alone decides, with the output phases, what the user is told.

#include "shellext/copy_worker.h"

#include "common/message_box.h"
#include "job/hashing_pass.h"
#include "job/result_arrangement.h"
#include "job/selection_expansion.h"
#include "output/clipboard_transfer.h"
#include "output/save_to_file.h"
#include "output/text_assembly.h"
#include "shellext/end_notice_texts.h"
#include "shellext/module_reference.h"

#include <new>
#include <string>
#include <utility>

namespace lumbrix {
namespace {

// One paragraph of the end notice: the lead, the count when more than one, the first path.
void AppendUnread(std::wstring& text, std::uint64_t count, const std::wstring& first, const wchar_t* lead,
                  const wchar_t* one, const wchar_t* many)
{
    if (count == 0) return;
    if (!text.empty()) text += L"\r\n\r\n";
    text += lead;
    if (count == 1) {
        text += one;
    } else {
        text += L" " + std::to_wstring(count) + many;
    }
    text += first;
}

// The text holds every line that could be made; what it lacks (folders not
// listed) or marks as failed without trying (files online only) is told once,
// in one box, so that nobody takes the list for complete.
void ShowEndNotice(const CopyResults& results, const ProgressReport& report) noexcept
try {
    std::wstring text;
    AppendUnread(text, results.unlistedFolders, results.firstUnlistedFolder, kUnlistedFoldersLead, kUnlistedFolderOne,
                 kUnlistedFoldersMany);
    AppendUnread(text, results.onlineOnlyFiles, results.firstOnlineOnlyFile, kOnlineOnlyFilesLead, kOnlineOnlyFileOne,
                 kOnlineOnlyFilesMany);
    if (!text.empty()) ShowMessage(report.BoxOwner(), text.c_str(), MB_ICONINFORMATION);
} catch (const std::bad_alloc&) {
    ShowMessage(report.BoxOwner(), results.unlistedFolders ? kUnlistedFoldersShort : kOnlineOnlyFilesShort,
                MB_ICONINFORMATION);
}

void ShowCompletion(CopyJob& job) noexcept
{
    ProgressReport& report = job.progress;
    report.FreezeTimer();
    report.StatusText().Set(L"完了");
    report.DetailText().Clear();
    report.RedrawAndWait();
    ::MessageBeep(0);
    ShowEndNotice(job.results, report);
    // "完了" stays a second without taking time from the user's programs; then
    // the job is freed at full speed. The owner was never disabled, so it is
    // left alone: enabling it could undo a dialog's modal disable.
    const HANDLE thread = ::GetCurrentThread();
    const int priority = ::GetThreadPriority(thread);
    ::SetThreadPriority(thread, THREAD_PRIORITY_IDLE);
    ::Sleep(1000);
    ::SetThreadPriority(thread, priority == THREAD_PRIORITY_ERROR_RETURN ? THREAD_PRIORITY_NORMAL : priority);
}

// The output phases; false when neither the clipboard nor a file took the text.
bool DeliverText(CopyJob& job) noexcept
{
    bool delivered = BuildText(job.results, job.progress, job.hooks.afterLine) &&
                     CopyToClipboard(job.results, job.progress, job.hooks.afterClipboardTry);
    if (!delivered) delivered = SaveToFile(job.results.lines, job.progress, job.hooks.afterLine);
    return delivered;
}

DWORD RunPhases(CopyJob& job) noexcept
{
    ProgressReport& report = job.progress;
    try {
        ExpandSelection(job.request, job.results, report, job.hooks.afterFolder, job.hooks.afterSelected);
        const bool arranged = report.IsRunning() && ArrangeResults(job.results.lines, report);
        // With a digest column wanted, a cancel before the pass ends as one in it.
        if (job.request.options.AnyDigest() &&
            (!arranged || !ComputeHashes(job.results, job.request.options, report,
                                         HashingPassSettings{0, job.hooks.afterChunk})))
            return CopyJobHashCancelled;
        if (!arranged) return CopyJobCancelled;
    } catch (...) {
        // Out of memory while the lines grow: the copy ends without output
        // rather than taking the host process down.
        report.FreezeTimer();
        ShowMessage(report.BoxOwner(), L"メモリが足りません。", MB_ICONERROR);
        return CopyJobNoOutput;
    }
    if (!DeliverText(job)) return report.IsRunning() ? CopyJobNoOutput : CopyJobCancelled;
    ShowCompletion(job);
    return CopyJobDone;
}

// What the thread receives: the job and the module reference it holds.
struct WorkerStart {
    CopyJobPointer job;
    ModuleReference module;
};

DWORD WINAPI CopyJobThreadProc(void* parameter)
{
    ModuleReference module;
    DWORD exitCode = CopyJobMissing;
    {
        std::unique_ptr<WorkerStart> start(static_cast<WorkerStart*>(parameter));
        module = std::move(start->module);
        exitCode = RunCopyJob(std::move(start->job));
    }
    // Nothing of the module may run once its reference is gone.
    ExitThreadReleasingModule(std::move(module), exitCode);
}

} // namespace

DWORD RunCopyJob(CopyJobPointer job) noexcept
{
    if (!job) return CopyJobMissing;
    // A window that could not be had is told; the copy goes on without one.
    const HRESULT window = StartProgressWindow(job->progress);
    if (FAILED(window)) ReportSystemError(HRESULT_CODE(window));
    const DWORD exitCode = RunPhases(*job);
    CloseProgressWindow(job->progress);
    return exitCode;
}

bool StartCopyJobThread(CopyJobPointer& job) noexcept
{
    std::unique_ptr<WorkerStart> start(new (std::nothrow) WorkerStart);
    if (!start) return false;
    start->module = AcquireModuleReference();
    start->job = std::move(job);
    const UniqueHandle thread(::CreateThread(nullptr, 0, CopyJobThreadProc, start.get(), 0, nullptr));
    if (!thread) {
        job = std::move(start->job);
        return false;
    }
    (void)start.release(); // the thread owns it now
    return true;
}

} // namespace lumbrix
