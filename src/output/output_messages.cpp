#include "output/output_messages.h"

#include "common/message_box.h"
#include "common/progress_report.h"

#include <cwchar>

namespace lumbrix {

void ShowOutputError(const ProgressReport& report, const wchar_t* text) noexcept
{
    ShowMessage(report.BoxOwner(), text, MB_ICONERROR);
}

void ShowDataSizeError(const ProgressReport& report, const wchar_t* firstLine, std::uint64_t bytes) noexcept
{
    // 64-bit: these boxes appear precisely when the block is large.
    wchar_t text[256];
    if (std::swprintf(text, 256, L"%ls\r\nデータサイズが大き過ぎるかも知れません。\r\nデータサイズは %llu バイトです。",
                      firstLine, static_cast<unsigned long long>(bytes)) < 0)
        return ShowOutputError(report, firstLine);
    ShowOutputError(report, text);
}

} // namespace lumbrix
