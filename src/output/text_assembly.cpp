// Joins the result lines into the one global block that goes to the clipboard.

#include "output/text_assembly.h"

#include "job/copy_job.h"
#include "output/output_messages.h"
#include "output/text_block_allocation.h"
#include "progress/progress_window.h"

#include <cstring>

namespace lumbrix {

std::atomic<TextBlockAllocator> textBlockAllocatorForTesting{nullptr};

namespace {

HGLOBAL AllocateTextBlock(SIZE_T bytes) noexcept
{
    const TextBlockAllocator allocate = textBlockAllocatorForTesting.load();
    return allocate ? allocate(GMEM_MOVEABLE | GMEM_DDESHARE, bytes)
                    : ::GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, bytes);
}

} // namespace

std::uint64_t TextBlockBytes(CopyJob& job) noexcept
{
    // totalChars says the same as the count here when it was kept right; the
    // larger one sizes the block, so a miscount never makes the copy overrun it.
    std::uint64_t units = 0;
    for (const ResultEntry& entry : job.resultLines) units += entry.text.size() + 2;
    if (job.totalChars > units) units = job.totalChars;
    return units * 2 + 2;
}

bool BuildText(CopyJob& job) noexcept
{
    job.statusText.Set(L"テキストを生成しています");
    job.detailText.Clear();
    const std::uint64_t lineCount = job.lineCount();
    PostProgressMessage(job, WM_PROGRESS_SETRANGE, static_cast<WPARAM>(lineCount));
    PostProgressMessage(job, WM_PROGRESS_UPDATE);
    job.progressPos = 0;
    job.clipboardText.reset();

    const std::uint64_t bytes = TextBlockBytes(job);
    job.clipboardText.reset(AllocateTextBlock(static_cast<SIZE_T>(bytes)));
    if (!job.clipboardText) {
        SendProgressMessage(job, WM_PROGRESS_STOPTIMER);
        ShowDataSizeError(job, L"メモリの確保に失敗しました。", bytes);
        return false;
    }
    GlobalLock lock(job.clipboardText.get());
    if (!lock.data()) {
        SendProgressMessage(job, WM_PROGRESS_STOPTIMER);
        ShowDataSizeError(job, L"メモリの固定に失敗しました。", bytes);
        job.clipboardText.reset();
        return false;
    }

    wchar_t* out = static_cast<wchar_t*>(lock.data());
    job.progressPos = 1;
    for (const ResultEntry& entry : job.resultLines) {
        if (!job.IsRunning()) {
            lock.unlock();
            job.clipboardText.reset();
            return false;
        }
        const std::uint64_t position = job.progressPos.load();
        job.detailText.Format(L"(%u/%u) %s", static_cast<unsigned>(position),
                              static_cast<unsigned>(lineCount), entry.text.c_str());
        std::memcpy(out, entry.text.data(), entry.text.size() * sizeof(wchar_t));
        out += entry.text.size();
        if (position < lineCount) {
            *out++ = L'\r';
            *out++ = L'\n';
            job.progressPos = position + 1;
        }
    }
    *out = 0;
    return true;
}

} // namespace lumbrix
