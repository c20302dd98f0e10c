// The worker thread of one job: progress window, expansion, sorting, digests,
// output, or a checksum command's phases. It alone decides, with the output
// phases, what the user is told.

#include "shellext/copy_worker.h"

#include "common/message_box.h"
#include "job/hashing_pass.h"
#include "job/result_arrangement.h"
#include "job/selection_expansion.h"
#include "output/clipboard_transfer.h"
#include "output/save_to_file.h"
#include "output/text_assembly.h"
#include "shellext/checksum_jobs.h"
#include "shellext/command_table.h"
#include "shellext/module_reference.h"

#include <new>
#include <string>
#include <utility>

namespace lumbrix {
namespace {

// The text holds every line that could be made; folders whose contents it
// lacks are told once, so that nobody takes the list for complete.
void ShowLeftOutFolders(const CopyResults& results, const ProgressReport& report) noexcept
try {
    if (results.unlistedFolders == 0) return;
    std::wstring text = L"読み取れなかったフォルダが";
    if (results.unlistedFolders == 1) {
        text += L"あります。その中身はコピーした一覧に含まれていません。\r\n";
    } else {
        text += L" " + std::to_wstring(results.unlistedFolders) +
                L" 個あります。その中身はコピーした一覧に含まれていません。\r\n最初のフォルダ: ";
    }
    text += results.firstUnlistedFolder;
    ShowMessage(report.BoxOwner(), text.c_str(), MB_ICONINFORMATION);
} catch (const std::bad_alloc&) {
    ShowMessage(report.BoxOwner(), L"読み取れなかったフォルダがあります。", MB_ICONINFORMATION);
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
        ExpandSelection(job.request, job.results, report, job.hooks.afterFolder);
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
    ShowCompletion(job, [](const CopyJob& done, ProgressReport& shown) noexcept {
        ShowLeftOutFolders(done.results, shown);
    });
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

void ShowFinished(ProgressReport& report) noexcept
{
    report.FreezeTimer();
    report.StatusText().Set(L"完了");
    report.DetailText().Clear();
    report.RedrawAndWait();
}

void ShowCompletion(CopyJob& job, void (*tellLeftOut)(const CopyJob&, ProgressReport&) noexcept) noexcept
{
    ProgressReport& report = job.progress;
    ShowFinished(report);
    ::MessageBeep(0);
    tellLeftOut(job, report);
    // "完了" stays a second without taking time from the user's programs; then
    // the job is freed at full speed. The owner was never disabled, so it is
    // left alone: enabling it could undo a dialog's modal disable.
    const HANDLE thread = ::GetCurrentThread();
    const int priority = ::GetThreadPriority(thread);
    ::SetThreadPriority(thread, THREAD_PRIORITY_IDLE);
    ::Sleep(1000);
    ::SetThreadPriority(thread, priority == THREAD_PRIORITY_ERROR_RETURN ? THREAD_PRIORITY_NORMAL : priority);
}

DWORD RunCopyJob(CopyJobPointer job) noexcept
{
    if (!job) return CopyJobMissing;
    const int command = job->request.mode;
    // The create command asks where to write before anything is read.
    if (command == kCreateChecksumCommand && !ChooseChecksumTarget(*job)) return CopyJobCancelled;
    // A window that could not be had is told; the job goes on without one.
    const HRESULT window = StartProgressWindow(job->progress);
    if (FAILED(window)) ReportSystemError(HRESULT_CODE(window));
    const DWORD exitCode = command == kCreateChecksumCommand ? RunCreateChecksumPhases(*job)
                           : command == kVerifyCommand       ? RunVerifyPhases(*job)
                                                             : RunPhases(*job);
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
