#include "output/clipboard_digests.h"

#include "common/progress_report.h"
#include "common/text_table.h"
#include "output/clipboard_text_view.h"
#include "output/output_messages.h"

namespace lumbrix {

bool ReadClipboardDigests(ProgressReport& report, std::wstring_view baseFolder, ChecksumStore& store,
                          ChecksumDigest& single, ChecksumTextKind& kind, const StepHook& afterFailedTry)
{
    kind = ChecksumTextKind::Nothing;
    if (!report.IsRunning()) return false;
    report.StatusText().Set(Text(IDS_STEP_READING_CLIPBOARD));
    report.DetailText().Clear();
    report.Redraw();
    {
        // Open only while the text is read: other programs wait for it meanwhile.
        const ClipboardTextView view(report, afterFailedTry);
        if (!report.IsRunning()) return false;
        if (!view.Opened()) {
            report.FreezeTimer();
            ShowOutputError(report, IDS_CLIPBOARD_OPEN_FAILED);
            return false;
        }
        kind = ReadChecksumText(view.Text(), baseFolder, store, single, &report.RunningFlag());
    }
    return report.IsRunning();
}

} // namespace lumbrix
