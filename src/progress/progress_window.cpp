// The progress window's thread, and how the worker starts, drives and closes it.

#include "progress/progress_window.h"

#include "job/copy_job.h"
#include "progress/progress_window_class.h"
#include "shellext/system_error_box.h"

namespace lumbrix {
namespace {

// While a job runs, the window the user invoked it from cannot be closed by its caption.
void EnableOwnerClose(HWND owner, bool enable) noexcept
{
    if (!owner) return;
    if (HMENU menu = ::GetSystemMenu(owner, FALSE))
        ::EnableMenuItem(menu, SC_CLOSE, MF_BYCOMMAND | (enable ? MF_ENABLED : MF_DISABLED));
}

void RunMessageLoop(CopyJob& job, HWND window) noexcept
{
    MSG message;
    for (;;) {
        const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
        if (got == 0 || got == -1) break;
        if (job.IsRunning() && job.progressWindow.load()) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        } else {
            // Whatever arrives after the worker has stopped tears the window down.
            ::DestroyWindow(window);
        }
    }
}

DWORD WINAPI ProgressThreadProc(void* parameter)
{
    CopyJob& job = *static_cast<CopyJob*>(parameter);
    if (!RegisterProgressWindowClass()) return 1;
    EnableOwnerClose(job.ownerWindow, false);
    const HWND window = CreateProgressWindow(job);
    if (!window) {
        EnableOwnerClose(job.ownerWindow, true);
        return 1;
    }
    // Placed before it is published, so the worker never sees it elsewhere.
    PlaceOverWindow(window, job.ownerWindow);
    job.progressWindow.store(window);
    RunMessageLoop(job, window);
    EnableOwnerClose(job.ownerWindow, true);
    return 0;
}

} // namespace

void StartProgressWindow(CopyJob& job) noexcept
{
    const HANDLE thread = ::CreateThread(nullptr, 0, ProgressThreadProc, &job, 0, nullptr);
    if (!thread) {
        ReportSystemError(::GetLastError());
        return;
    }
    job.progressThread.reset(thread);
    // The thread may end without a window (class or window creation failed).
    while (!job.progressWindow.load()) {
        if (::WaitForSingleObject(thread, 1) != WAIT_TIMEOUT) break;
    }
}

void CloseProgressWindow(CopyJob& job) noexcept
{
    if (!job.progressThread) return;
    const HWND foreground = ::GetForegroundWindow();
    job.running.store(false);
    // Only a wake-up: the loop finds running false and destroys the window. WM_CLOSE
    // rather than WM_DESTROY, so that a modal loop that dispatches it (a drag of the
    // caption) really destroys the window instead of running its teardown alone.
    if (const HWND window = job.progressWindow.load()) ::PostMessageW(window, WM_CLOSE, 0, 0);
    ::WaitForSingleObject(job.progressThread.get(), INFINITE);
    job.progressThread.reset();
    if (foreground) ::SetForegroundWindow(foreground);
}

void SendProgressMessage(CopyJob& job, UINT message, WPARAM wParam) noexcept
{
    if (const HWND window = job.progressWindow.load()) ::SendMessageW(window, message, wParam, 0);
}

void PostProgressMessage(CopyJob& job, UINT message, WPARAM wParam) noexcept
{
    if (const HWND window = job.progressWindow.load()) ::PostMessageW(window, message, wParam, 0);
}

} // namespace lumbrix
