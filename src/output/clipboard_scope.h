#pragma once
// The clipboard, open for the scope: opened with a second's worth of retries
// (another program may hold it briefly), closed in the destructor.

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
    bool open_ = false;
};

} // namespace lumbrix
