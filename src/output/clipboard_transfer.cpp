// Hands the assembled block to the clipboard as CF_UNICODETEXT.

#include "output/clipboard_transfer.h"

#include "job/copy_job.h"
#include "output/clipboard_scope.h"
#include "output/output_messages.h"
#include "output/text_assembly.h"
#include "progress/progress_window.h"

namespace lumbrix {

bool CopyToClipboard(CopyJob& job) noexcept
{
    if (!job.IsRunning() || !job.results.text) return false;
    job.progress.statusText.Set(L"クリップボードにコピーしています");
    job.progress.detailText.Clear();
    SendProgressMessage(job.progress, WM_PROGRESS_UPDATE);

    ClipboardScope clipboard(job.progress.running);
    // A cancel during the retries leaves the clipboard as it was, silently.
    if (!job.IsRunning()) {
        job.results.text.reset();
        return false;
    }
    if (!clipboard.IsOpen()) {
        ShowOutputError(job, L"クリップボードを開くのに失敗しました。");
        job.results.text.reset();
        return false;
    }
    ::EmptyClipboard();
    if (::SetClipboardData(CF_UNICODETEXT, job.results.text.get())) {
        (void)job.results.text.release(); // the system owns the block now
        return true;
    }
    // Closed before the box: no other program should wait for the user to read it.
    clipboard.Close();
    SendProgressMessage(job.progress, WM_PROGRESS_STOPTIMER);
    ShowDataSizeError(job, L"クリップボードへテキストを登録するのに失敗しました。",
                      TextBlockBytes(job));
    job.results.text.reset();
    return false;
}

} // namespace lumbrix
