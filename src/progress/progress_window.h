#pragma once
// The per-job progress window on a thread of its own. ProgressWindow is the
// window's side of a copy's progress (thread, window, font, DPI, taskbar
// button); the job's side, which the phases write, is the ProgressReport it
// implements with the window's private messages.

#include "common/com_ptr.h"
#include "common/progress_report.h"
#include "common/unique_any.h"
#include "progress/progress_messages.h"

#include <windows.h>
#include <shobjidl.h>

#include <atomic>
#include <cstdint>

namespace lumbrix {

inline constexpr wchar_t kProgressWindowClass[] = L"Lumbrix64_Progress";

class ProgressWindow final : public ProgressReport {
public:
    ProgressWindow() noexcept = default;

    // What the phases ask of the window; nothing happens without one.
    void SetRange(std::uint64_t end) noexcept override;
    void Redraw() noexcept override;
    void RedrawAndWait() noexcept override;
    void FreezeTimer() noexcept override;
    void ResumeTimer() noexcept override;
    HWND BoxOwner() const noexcept override { return window.load(); }

    HWND owner = nullptr;                    // the window the job was started from: placed over, owned if this process's
    std::atomic<HWND> window{nullptr};       // published once placed; null without a window
    UniqueHandle thread;                     // the window's thread
    UniqueFont font;                         // the message font at dpi, for the texts and the button
    ComPtr<ITaskbarList3> taskbar;           // made, called and released on the window's thread
    std::uint64_t total = ~std::uint64_t{0}; // the bar's range, as the taskbar shows it (the window's thread only)
    DWORD startTick = 0;
    UINT dpi = 96;                           // the window's, as last laid out (its thread only)
    bool lingering = false;                  // the second after a Cancel (the window's thread only)
    HRESULT classError = S_OK;               // set by the thread when it could not register the class
};

// Starts the window thread and waits until the window exists or the thread
// has ended without one. S_OK with a window; S_FALSE when the window could not
// be created (the copy goes on without one, and nobody is told); a failure
// when the thread or the window class could not be had, which the caller tells
// the user. The job runs without a window in both latter cases.
[[nodiscard]] HRESULT StartProgressWindow(ProgressWindow& progress) noexcept;
// Clears running, closes the window, joins its thread, restores the foreground.
void CloseProgressWindow(ProgressWindow& progress) noexcept;

// Sends (waits) or posts one of the private messages; nothing happens without a window.
void SendProgressMessage(ProgressWindow& progress, UINT message, WPARAM wParam = 0) noexcept;
void PostProgressMessage(ProgressWindow& progress, UINT message, WPARAM wParam = 0) noexcept;

} // namespace lumbrix
