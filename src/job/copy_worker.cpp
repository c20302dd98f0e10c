// The worker thread of one copy: progress window, expansion, digests, output.

#include "job/copy_worker.h"

#include "hash/hashing_pass.h"
#include "job/copy_job.h"
#include "job/selection_expansion.h"
#include "output/clipboard_transfer.h"
#include "output/save_to_file.h"
#include "output/text_assembly.h"
#include "progress/progress_window.h"
#include "shellext/module_reference.h"

#include <new>
#include <utility>

namespace lumbrix {
namespace {

DWORD EndJob(CopyJob& job, DWORD exitCode) noexcept
{
    CloseProgressWindow(job);
    FreeCopyJob(&job);
    return exitCode;
}

void ShowCompletion(CopyJob& job) noexcept
{
    SendProgressMessage(job, WM_PROGRESS_STOPTIMER);
    job.statusText.Set(L"完了");
    job.detailText.Clear();
    SendProgressMessage(job, WM_PROGRESS_UPDATE);
    ::MessageBeep(0);
    ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_IDLE);
    ::Sleep(1000);
    ::EnableWindow(job.ownerWindow, TRUE);
}

// The output phases; false when neither the clipboard nor a file took the text.
bool DeliverText(CopyJob& job) noexcept
{
    bool delivered = BuildText(job) && CopyToClipboard(job);
    if (!delivered) delivered = SaveToFile(job);
    return delivered;
}

DWORD WINAPI CopyJobThreadProc(void* parameter)
{
    auto* start = static_cast<std::pair<CopyJob*, HMODULE>*>(parameter);
    CopyJob* job = start->first;
    HMODULE module = start->second;
    delete start;
    const DWORD exitCode = RunCopyJob(job);
    ExitThreadReleasingModule(module, exitCode);
}

} // namespace

DWORD RunCopyJob(CopyJob* job) noexcept
{
    if (!job) return CopyJobMissing;
    StartProgressWindow(*job);
    try {
        ExpandSelection(*job);
        if (job->options.AnyDigest() && !ComputeHashes(*job)) return EndJob(*job, CopyJobHashCancelled);
    } catch (...) {
        // Out of memory while the lines grow: the copy ends without output
        // rather than taking the host process down.
        SendProgressMessage(*job, WM_PROGRESS_STOPTIMER);
        ::MessageBoxW(job->progressWindow.load(), L"メモリが足りません。", L"Lumbrix64", MB_ICONERROR);
        return EndJob(*job, CopyJobNoOutput);
    }
    if (!DeliverText(*job)) return EndJob(*job, CopyJobNoOutput);
    ShowCompletion(*job);
    return EndJob(*job, CopyJobDone);
}

bool StartCopyJobThread(CopyJob* job) noexcept
{
    HMODULE module = AcquireModuleReference();
    auto* start = new (std::nothrow) std::pair<CopyJob*, HMODULE>(job, module);
    if (!start) {
        if (module) ::FreeLibrary(module);
        return false;
    }
    HANDLE thread = ::CreateThread(nullptr, 0, CopyJobThreadProc, start, 0, nullptr);
    if (!thread) {
        delete start;
        if (module) ::FreeLibrary(module);
        return false;
    }
    ::CloseHandle(thread);
    return true;
}

} // namespace lumbrix
