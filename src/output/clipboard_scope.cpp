#include "output/clipboard_scope.h"

#include "common/progress_report.h"

namespace lumbrix {
namespace {

// Copies of one process take turns at the clipboard. OpenClipboard(nullptr)
// alone does not keep out another thread of this process that opens it the
// same way (Wine lets it take over the open clipboard, and the first copy's
// SetClipboardData then fails), and the file manager runs several copies.
SRWLOCK processTurn = SRWLOCK_INIT;

} // namespace

ClipboardScope::ClipboardScope(ProgressReport& report, const StepHook& afterFailedTry) noexcept
{
    for (int attempt = 0; attempt < 20 && !open_ && report.IsRunning(); ++attempt) {
        if (!turn_) turn_ = ::TryAcquireSRWLockExclusive(&processTurn) != FALSE;
        if (turn_) open_ = ::OpenClipboard(nullptr) != FALSE;
        if (open_) break;
        afterFailedTry(report);
        ::Sleep(50);
    }
    if (!open_) ReleaseTurn();
}

void ClipboardScope::Close() noexcept
{
    if (open_) ::CloseClipboard();
    open_ = false;
    ReleaseTurn();
}

void ClipboardScope::ReleaseTurn() noexcept
{
    if (turn_) ::ReleaseSRWLockExclusive(&processTurn);
    turn_ = false;
}

} // namespace lumbrix
