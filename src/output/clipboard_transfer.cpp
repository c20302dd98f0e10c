// Hands the assembled block to the clipboard as CF_UNICODETEXT.

#include "output/clipboard_transfer.h"

#include "common/progress_report.h"
#include "common/text_table.h"
#include "job/copy_results.h"
#include "output/clipboard_scope.h"
#include "output/output_messages.h"
#include "output/text_assembly.h"

namespace lumbrix {

bool CopyToClipboard(CopyResults& results, ProgressReport& report, const StepHook& afterFailedTry) noexcept
{
    if (!report.IsRunning() || !results.text) return false;
    report.StatusText().Set(Text(IDS_STEP_COPYING));
    report.DetailText().Clear();
    report.RedrawAndWait();

    ClipboardScope clipboard(report, afterFailedTry);
    // A cancel during the retries leaves the clipboard as it was, silently.
    if (!report.IsRunning()) {
        results.text.reset();
        return false;
    }
    if (!clipboard.IsOpen()) {
        ShowOutputError(report, IDS_CLIPBOARD_OPEN_FAILED);
        results.text.reset();
        return false;
    }
    ::EmptyClipboard();
    if (::SetClipboardData(CF_UNICODETEXT, results.text.get())) {
        (void)results.text.release(); // the system owns the block now
        return true;
    }
    // Closed before the box: no other program should wait for the user to read it.
    clipboard.Close();
    report.FreezeTimer();
    ShowDataSizeError(report, IDS_CLIPBOARD_SET_FAILED, TextBlockBytes(results));
    results.text.reset();
    return false;
}

} // namespace lumbrix
