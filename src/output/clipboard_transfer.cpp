// Hands the assembled block to the clipboard as CF_UNICODETEXT.

#include "output/clipboard_transfer.h"

#include "job/copy_job.h"
#include "output/output_messages.h"
#include "output/text_assembly.h"
#include "progress/progress_window.h"

namespace lumbrix {
namespace {

// About one second in all: another program may hold the clipboard briefly.
bool OpenClipboardWithRetry() noexcept
{
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (::OpenClipboard(nullptr)) return true;
        ::Sleep(50);
    }
    return false;
}

} // namespace

bool CopyToClipboard(CopyJob& job) noexcept
{
    if (!job.IsRunning() || !job.clipboardText) return false;
    job.statusText.Set(L"クリップボードにコピーしています");
    job.detailText.Clear();
    SendProgressMessage(job, WM_PROGRESS_UPDATE);

    if (!OpenClipboardWithRetry()) {
        ShowOutputError(job, L"クリップボードを開くのに失敗しました。");
        job.clipboardText.reset();
        return false;
    }
    ::EmptyClipboard();
    if (::SetClipboardData(CF_UNICODETEXT, job.clipboardText.get())) {
        ::CloseClipboard();
        (void)job.clipboardText.release(); // the system owns the block now
        return true;
    }
    // Closed before the box: no other program should wait for the user to read it.
    ::CloseClipboard();
    SendProgressMessage(job, WM_PROGRESS_STOPTIMER);
    ShowDataSizeError(job, L"クリップボードへテキストを登録するのに失敗しました。",
                      TextBlockBytes(job));
    job.clipboardText.reset();
    return false;
}

} // namespace lumbrix
