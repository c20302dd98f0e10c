#include "output/output_messages.h"

#include "common/message_box.h"
#include "common/progress_report.h"
#include "common/text_format.h"
#include "common/text_table.h"

#include <cwchar>

namespace lumbrix {
namespace {

void ShowErrorText(const ProgressReport& report, const wchar_t* text) noexcept
{
    ShowMessage(report.BoxOwner(), text, MB_ICONERROR);
}

} // namespace

void ShowOutputError(const ProgressReport& report, UINT textId) noexcept
{
    ShowErrorText(report, Text(textId));
}

void ShowDataSizeError(const ProgressReport& report, UINT firstLineId, std::uint64_t bytes) noexcept
{
    const wchar_t* firstLine = Text(firstLineId);
    // 64-bit: these boxes appear precisely when the block is large.
    wchar_t text[512];
    if (std::swprintf(text, 512, FormatText(IDS_DATA_SIZE, L"%ls\r\n%llu"), firstLine,
                      static_cast<unsigned long long>(bytes)) < 0)
        return ShowErrorText(report, firstLine);
    ShowErrorText(report, text);
}

} // namespace lumbrix
