#pragma once
// All that a progress window reads, and all that a job shares with it. The
// worker writes the texts and the position in place; the window's thread
// reads them on its timer. running is the only way to stop a job.

#include "common/com_ptr.h"
#include "common/unique_any.h"
#include "progress/progress_text.h"

#include <windows.h>
#include <shobjidl.h>

#include <atomic>
#include <cstdint>

namespace lumbrix {

struct JobProgress {
    std::atomic<bool> running{true};
    std::atomic<std::uint64_t> position{0};
    std::uint64_t total = ~std::uint64_t{0}; // the bar's range, as the taskbar shows it
    ProgressText statusText;
    ProgressText detailText;

    HWND owner = nullptr;                    // the window the job was started from
    std::atomic<HWND> window{nullptr};       // published once placed; null without a window
    UniqueHandle thread;                     // the window's thread
    UniqueFont font;                         // the message font at dpi, for the texts and the button
    ComPtr<ITaskbarList3> taskbar;
    DWORD startTick = 0;
    UINT dpi = 96;                           // the window's, as last laid out (its thread only)
    bool lingering = false;                  // the second after a Cancel (the window's thread only)

    bool IsRunning() const noexcept { return running.load(std::memory_order_acquire); }
};

// Gives progress its taskbar object; without one the job simply shows no
// taskbar progress. Call on a thread where COM is initialised.
void AttachTaskbar(JobProgress& progress) noexcept;

} // namespace lumbrix
