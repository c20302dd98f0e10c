// The progress window's thread, and how the worker starts, drives and closes it.

#include "progress/progress_window.h"

#include "progress/progress_window_class.h"
#include "progress/taskbar.h"
#include "progress/window_placement.h"

namespace lumbrix {
namespace {

// A window of another program is not this copy's to change: it neither owns
// the progress window (which would tie the two programs' input together) nor
// loses its Close item. The progress window is still placed over it.
bool BelongsToThisProcess(HWND window) noexcept
{
    DWORD process = 0;
    return window && ::GetWindowThreadProcessId(window, &process) && process == ::GetCurrentProcessId();
}

// While a job runs, the window the user invoked it from cannot be closed by its caption.
void EnableOwnerClose(HWND owner, bool enable) noexcept
{
    if (!owner) return;
    if (HMENU menu = ::GetSystemMenu(owner, FALSE))
        ::EnableMenuItem(menu, SC_CLOSE, MF_BYCOMMAND | (enable ? MF_ENABLED : MF_DISABLED));
}

void RunMessageLoop(ProgressWindow& progress, HWND window) noexcept
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

// The window's whole life on its thread, with the taskbar object, which lives
// in this thread's apartment and is released here before COM is left.
DWORD RunWindow(ProgressWindow& progress, HWND owner) noexcept
{
    const HWND window = CreateProgressWindow(progress, owner);
    if (!window) return 1;
    AttachTaskbar(progress);
    // Placed before it is published, so the worker never sees it elsewhere.
    PlaceOverWindow(window, progress.owner);
    // Over an owner on a monitor of another DPI: sized for that one, and placed again.
    if (LayOutForWindowDpi(window)) PlaceOverWindow(window, progress.owner);
    progress.window.store(window);
    RunMessageLoop(progress, window);
    progress.taskbar.reset();
    return 0;
}

DWORD WINAPI ProgressThreadProc(void* parameter)
{
    ProgressWindow& progress = *static_cast<ProgressWindow*>(parameter);
    progress.classError = RegisterProgressWindowClass();
    if (FAILED(progress.classError)) return 1;
    const HWND owner = BelongsToThisProcess(progress.owner) ? progress.owner : nullptr;
    const ComApartment apartment;
    EnableOwnerClose(owner, false);
    const DWORD exitCode = RunWindow(progress, owner);
    EnableOwnerClose(owner, true);
    return exitCode;
}

} // namespace

void ProgressWindow::SetRange(std::uint64_t end) noexcept
{
    PostProgressMessage(*this, WM_PROGRESS_SETRANGE, static_cast<WPARAM>(end));
}

void ProgressWindow::Redraw() noexcept { PostProgressMessage(*this, WM_PROGRESS_UPDATE); }

void ProgressWindow::RedrawAndWait() noexcept { SendProgressMessage(*this, WM_PROGRESS_UPDATE); }

void ProgressWindow::FreezeTimer() noexcept { SendProgressMessage(*this, WM_PROGRESS_STOPTIMER); }

void ProgressWindow::ResumeTimer() noexcept { PostProgressMessage(*this, WM_PROGRESS_RESTARTTIMER); }

HRESULT StartProgressWindow(ProgressWindow& progress) noexcept
{
    const HANDLE thread = ::CreateThread(nullptr, 0, ProgressThreadProc, &progress, 0, nullptr);
    if (!thread) return HRESULT_FROM_WIN32(::GetLastError());
    progress.thread.reset(thread);
    // The thread may end without a window (class or window creation failed).
    while (!progress.window.load()) {
        if (::WaitForSingleObject(thread, 1) != WAIT_TIMEOUT) break;
    }
    if (progress.window.load()) return S_OK;
    return FAILED(progress.classError) ? progress.classError : S_FALSE;
}

void CloseProgressWindow(ProgressWindow& progress) noexcept
{
    if (!progress.thread) return;
    const HWND foreground = ::GetForegroundWindow();
    progress.Stop();
    // Destroys the window, or after a Cancel lets its last second run out. WM_CLOSE
    // rather than WM_DESTROY, so that a modal loop that dispatches it (a drag of the
    // caption) really destroys the window instead of running its teardown alone.
    if (const HWND window = progress.window.load()) ::PostMessageW(window, WM_CLOSE, 0, 0);
    ::WaitForSingleObject(progress.thread.get(), INFINITE);
    progress.thread.reset();
    if (foreground) ::SetForegroundWindow(foreground);
}

void SendProgressMessage(ProgressWindow& progress, UINT message, WPARAM wParam) noexcept
{
    if (const HWND window = progress.window.load()) ::SendMessageW(window, message, wParam, 0);
}

void PostProgressMessage(ProgressWindow& progress, UINT message, WPARAM wParam) noexcept
{
    if (const HWND window = progress.window.load()) ::PostMessageW(window, message, wParam, 0);
}

} // namespace lumbrix
