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
    for (const ResultEntry& entry : job.results.lines) units += entry.text.size() + 2;
    if (job.results.totalChars > units) units = job.results.totalChars;
    return units * 2 + 2;
}

bool BuildText(CopyJob& job) noexcept
{
    job.progress.statusText.Set(L"テキストを生成しています");
    job.progress.detailText.Clear();
    const std::uint64_t lineCount = job.results.lines.size();
    PostProgressMessage(job.progress, WM_PROGRESS_SETRANGE, static_cast<WPARAM>(lineCount));
    PostProgressMessage(job.progress, WM_PROGRESS_UPDATE);
    job.progress.position = 0;
    job.results.text.reset();

    const std::uint64_t bytes = TextBlockBytes(job);
    job.results.text.reset(AllocateTextBlock(static_cast<SIZE_T>(bytes)));
    if (!job.results.text) {
        SendProgressMessage(job.progress, WM_PROGRESS_STOPTIMER);
        ShowDataSizeError(job, L"メモリの確保に失敗しました。", bytes);
        return false;
    }
    GlobalLock lock(job.results.text.get());
    if (!lock.data()) {
        SendProgressMessage(job.progress, WM_PROGRESS_STOPTIMER);
        ShowDataSizeError(job, L"メモリの固定に失敗しました。", bytes);
        job.results.text.reset();
        return false;
    }

    wchar_t* out = static_cast<wchar_t*>(lock.data());
    job.progress.position = 1;
    for (const ResultEntry& entry : job.results.lines) {
        if (!job.IsRunning()) {
            lock.unlock();
            job.results.text.reset();
            return false;
        }
        const std::uint64_t position = job.progress.position.load();
        job.progress.detailText.Format(L"(%u/%u) %s", static_cast<unsigned>(position),
                              static_cast<unsigned>(lineCount), entry.text.c_str());
        std::memcpy(out, entry.text.data(), entry.text.size() * sizeof(wchar_t));
        out += entry.text.size();
        if (position < lineCount) {
            *out++ = L'\r';
            *out++ = L'\n';
            job.progress.position = position + 1;
        }
    }
    *out++ = 0;
    // The block may be larger than the text (a size counted generously); what
    // follows the text must not be whatever the heap held before.
    const auto* end = reinterpret_cast<const unsigned char*>(lock.data()) + bytes;
    std::memset(out, 0, static_cast<std::size_t>(end - reinterpret_cast<unsigned char*>(out)));
    return true;
}

} // namespace lumbrix
