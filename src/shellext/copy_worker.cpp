// The worker thread of one job: progress window, expansion, sorting, digests,
// output, or a checksum command's phases. It alone decides, with the output
// phases, what the user is told.

#include "shellext/copy_worker.h"

#include "common/message_box.h"
#include "common/text_format.h"
#include "common/text_table.h"
#include "job/hashing_pass.h"
#include "job/result_arrangement.h"
#include "job/selection_expansion.h"
#include "output/clipboard_transfer.h"
#include "output/save_to_file.h"
#include "output/text_assembly.h"
#include "shellext/checksum_jobs.h"
#include "shellext/command_table.h"
#include "shellext/module_reference.h"

#include <cwchar>
#include <new>
#include <string>
#include <utility>

namespace lumbrix {

void AppendUnread(std::wstring& text, std::uint64_t count, const std::wstring& first, UINT oneId, UINT manyId)
{
    if (count == 0) return;
    const bool one = count == 1;
    const wchar_t* format = one ? FormatText(oneId, L"%ls") : FormatText(manyId, L"%llu\r\n%ls");
    // Room for the format, the path (of any length) and the count.
    std::wstring paragraph(std::wcslen(format) + first.size() + 24, L'\0');
    const int length = one ? std::swprintf(paragraph.data(), paragraph.size(), format, first.c_str())
                           : std::swprintf(paragraph.data(), paragraph.size(), format,
                                           static_cast<unsigned long long>(count), first.c_str());
    if (length < 0) throw std::bad_alloc();
    paragraph.resize(static_cast<std::size_t>(length));
    if (!text.empty()) text += L"\r\n\r\n";
    text += paragraph;
}

namespace {

// The text holds every line that could be made; what it lacks (folders not
// listed) or marks as failed without trying (files online only) is told once,
// in one box, so that nobody takes the list for complete.
void ShowEndNotice(const CopyResults& results, const ProgressReport& report) noexcept
try {
    std::wstring text;
    AppendUnread(text, results.unlistedFolders, results.firstUnlistedFolder, IDS_UNLISTED_FOLDER,
                 IDS_UNLISTED_FOLDERS);
    AppendUnread(text, results.onlineOnlyFiles, results.firstOnlineOnlyFile, IDS_ONLINE_ONLY_FILE,
                 IDS_ONLINE_ONLY_FILES);
    if (!text.empty()) ShowMessage(report.BoxOwner(), text.c_str(), MB_ICONINFORMATION);
} catch (const std::bad_alloc&) {
    ShowMessage(report.BoxOwner(),
                Text(results.unlistedFolders ? IDS_UNLISTED_FOLDERS_SHORT : IDS_ONLINE_ONLY_FILES_SHORT),
                MB_ICONINFORMATION);
}

// The output phases; false when neither the clipboard nor a file took the text.
bool DeliverText(CopyJob& job) noexcept
{
    const bool singleLine = job.request.options[SingleLine];
    bool delivered = BuildText(job.results, job.progress, singleLine, job.hooks.afterLine) &&
                     CopyToClipboard(job.results, job.progress, job.hooks.afterClipboardTry);
    if (!delivered) delivered = SaveToFile(job.results.lines, job.progress, singleLine, job.hooks.afterLine);
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
        ShowMessage(report.BoxOwner(), Text(IDS_OUT_OF_MEMORY), MB_ICONERROR);
        return CopyJobNoOutput;
    }
    if (!DeliverText(job)) return report.IsRunning() ? CopyJobNoOutput : CopyJobCancelled;
    ShowCompletion(job, [](const CopyJob& done, ProgressReport& shown) noexcept {
        ShowEndNotice(done.results, shown);
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
    report.StatusText().Set(Text(IDS_STEP_DONE));
    report.DetailText().Clear();
    report.RedrawAndWait();
}

void ShowCompletion(CopyJob& job, void (*tellLeftOut)(const CopyJob&, ProgressReport&) noexcept) noexcept
{
    ProgressReport& report = job.progress;
    ShowFinished(report);
    ::MessageBeep(0);
    tellLeftOut(job, report);
    // "Done" stays a second without taking time from the user's programs; then
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
