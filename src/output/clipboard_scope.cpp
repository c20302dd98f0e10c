#include "output/clipboard_scope.h"

#include "common/progress_report.h"

namespace lumbrix {

ClipboardScope::ClipboardScope(ProgressReport& report, const StepHook& afterFailedTry) noexcept
{
    for (int attempt = 0; attempt < 20 && !open_ && report.IsRunning(); ++attempt) {
        open_ = ::OpenClipboard(nullptr) != FALSE;
        if (open_) break;
        afterFailedTry(report);
        ::Sleep(50);
    }
}

void ClipboardScope::Close() noexcept
{
    if (open_) ::CloseClipboard();
    open_ = false;
}

} // namespace lumbrix
