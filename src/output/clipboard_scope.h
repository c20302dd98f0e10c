#pragma once
// The clipboard, open for the scope: opened with a second's worth of retries
// (another program, or another copy of this process, may hold it briefly),
// closed in the destructor. Used on one thread only.

#include "common/step_hooks.h"

#include <windows.h>

namespace lumbrix {

class ProgressReport;

class ClipboardScope {
public:
    // Gives up early, leaving the clipboard closed, once report is no longer
    // running. afterFailedTry is called after each try that failed.
    ClipboardScope(ProgressReport& report, const StepHook& afterFailedTry) noexcept;
    ~ClipboardScope() { Close(); }
    ClipboardScope(const ClipboardScope&) = delete;
    ClipboardScope& operator=(const ClipboardScope&) = delete;

    bool IsOpen() const noexcept { return open_; }
    // Closes early, so that no other program waits on a box shown afterwards.
    void Close() noexcept;

private:
    void ReleaseTurn() noexcept;

    bool open_ = false;
    bool turn_ = false; // this process's turn at the clipboard is ours
};

} // namespace lumbrix
