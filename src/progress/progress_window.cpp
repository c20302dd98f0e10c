// The progress window's thread, and how the worker starts, drives and closes it.

#include "progress/progress_window.h"

#include "progress/job_progress.h"
#include "progress/progress_window_class.h"
#include "common/message_box.h"

namespace lumbrix {
namespace {

// While a job runs, the window the user invoked it from cannot be closed by its caption.
void EnableOwnerClose(HWND owner, bool enable) noexcept
{
    if (!owner) return;
    if (HMENU menu = ::GetSystemMenu(owner, FALSE))
        ::EnableMenuItem(menu, SC_CLOSE, MF_BYCOMMAND | (enable ? MF_ENABLED : MF_DISABLED));
}

void RunMessageLoop(JobProgress& progress, HWND window) noexcept
{
    MSG message;
    for (;;) {
        const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
        if (got == 0 || got == -1) break;
        if ((progress.IsRunning() || progress.lingering) && progress.window.load()) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        } else {
            // Whatever arrives after the worker has stopped tears the window down,
            // except in the second after a Cancel, which its timer ends.
            ::DestroyWindow(window);
        }
    }
}

DWORD WINAPI ProgressThreadProc(void* parameter)
{
    JobProgress& progress = *static_cast<JobProgress*>(parameter);
    if (!RegisterProgressWindowClass()) return 1;
    EnableOwnerClose(progress.owner, false);
    const HWND window = CreateProgressWindow(progress);
    if (!window) {
        EnableOwnerClose(progress.owner, true);
        return 1;
    }
    // Placed before it is published, so the worker never sees it elsewhere.
    PlaceOverWindow(window, progress.owner);
    // Over an owner on a monitor of another DPI: sized for that one, and placed again.
    if (LayOutForWindowDpi(window)) PlaceOverWindow(window, progress.owner);
    progress.window.store(window);
    RunMessageLoop(progress, window);
    EnableOwnerClose(progress.owner, true);
    return 0;
}

} // namespace

void StartProgressWindow(JobProgress& progress) noexcept
{
    const HANDLE thread = ::CreateThread(nullptr, 0, ProgressThreadProc, &progress, 0, nullptr);
    if (!thread) {
        ReportSystemError(::GetLastError());
        return;
    }
    progress.thread.reset(thread);
    // The thread may end without a window (class or window creation failed).
    while (!progress.window.load()) {
        if (::WaitForSingleObject(thread, 1) != WAIT_TIMEOUT) break;
    }
}

void CloseProgressWindow(JobProgress& progress) noexcept
{
    if (!progress.thread) return;
    const HWND foreground = ::GetForegroundWindow();
    progress.running.store(false);
    // Destroys the window, or after a Cancel lets its last second run out. WM_CLOSE
    // rather than WM_DESTROY, so that a modal loop that dispatches it (a drag of the
    // caption) really destroys the window instead of running its teardown alone.
    if (const HWND window = progress.window.load()) ::PostMessageW(window, WM_CLOSE, 0, 0);
    ::WaitForSingleObject(progress.thread.get(), INFINITE);
    progress.thread.reset();
    if (foreground) ::SetForegroundWindow(foreground);
}

void SendProgressMessage(JobProgress& progress, UINT message, WPARAM wParam) noexcept
{
    if (const HWND window = progress.window.load()) ::SendMessageW(window, message, wParam, 0);
}

void PostProgressMessage(JobProgress& progress, UINT message, WPARAM wParam) noexcept
{
    if (const HWND window = progress.window.load()) ::PostMessageW(window, message, wParam, 0);
}

} // namespace lumbrix
