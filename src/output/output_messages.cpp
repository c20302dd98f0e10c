#include "output/output_messages.h"

#include "job/copy_job.h"
#include "common/message_box.h"

#include <cwchar>

namespace lumbrix {

void ShowOutputError(CopyJob& job, const wchar_t* text) noexcept
{
    ShowMessage(job.progress.window.load(), text, MB_ICONERROR);
}

void ShowDataSizeError(CopyJob& job, const wchar_t* firstLine, std::uint64_t bytes) noexcept
{
    // 64-bit: these boxes appear precisely when the block is large.
    wchar_t text[256];
    if (std::swprintf(text, 256, L"%ls\r\nデータサイズが大き過ぎるかも知れません。\r\nデータサイズは %llu バイトです。",
                      firstLine, static_cast<unsigned long long>(bytes)) < 0)
        return ShowOutputError(job, firstLine);
    ShowOutputError(job, text);
}

} // namespace lumbrix
