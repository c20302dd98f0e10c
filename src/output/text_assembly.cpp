// Joins the result lines into the one global block that goes to the clipboard.

#include "output/text_assembly.h"

#include "common/progress_report.h"
#include "common/text_table.h"
#include "job/copy_results.h"
#include "output/line_separator.h"
#include "output/output_messages.h"
#include "output/text_block_allocation.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <new>

namespace lumbrix {

std::atomic<TextBlockAllocator> textBlockAllocatorForTesting{nullptr};

namespace {

constexpr std::uint64_t kLinesPerDetail = 256;

HGLOBAL AllocateTextBlock(SIZE_T bytes) noexcept
{
    const TextBlockAllocator allocate = textBlockAllocatorForTesting.load();
    return allocate ? allocate(GMEM_MOVEABLE | GMEM_DDESHARE, bytes)
                    : ::GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, bytes);
}

} // namespace

std::uint64_t TextBlockBytes(const CopyResults& results) noexcept
{
    // totalChars says the same as the list's count when it was kept right; the
    // larger one sizes the block, so a miscount never makes the copy overrun it.
    std::uint64_t units = results.lines.TextUnits();
    if (results.totalChars > units) units = results.totalChars;
    return units * 2 + 2;
}

bool BuildText(CopyResults& results, ProgressReport& report, bool singleLine, const StepHook& afterLine) noexcept
try {
    report.StatusText().Set(Text(IDS_STEP_BUILDING_TEXT));
    report.DetailText().Clear();
    if (!report.IsRunning()) return false;
    ResultList& lines = results.lines;
    lines.Arrange();
    const std::uint64_t lineCount = lines.size();
    report.SetRange(lineCount);
    report.Redraw();
    report.SetPosition(0);
    results.text.reset();

    const std::uint64_t bytes = TextBlockBytes(results);
    results.text.reset(AllocateTextBlock(static_cast<SIZE_T>(bytes)));
    if (!results.text) {
        report.FreezeTimer();
        ShowDataSizeError(report, IDS_ALLOCATION_FAILED, bytes);
        return false;
    }
    GlobalLock lock(results.text.get());
    if (!lock.data()) {
        report.FreezeTimer();
        ShowDataSizeError(report, IDS_LOCK_FAILED, bytes);
        results.text.reset();
        return false;
    }

    const std::wstring_view separator = LineSeparator(singleLine);
    wchar_t* out = static_cast<wchar_t*>(lock.data());
    report.SetPosition(1);
    for (const ResultLine& line : lines) {
        if (!report.IsRunning()) {
            lock.unlock();
            results.text.reset();
            return false;
        }
        const std::uint64_t position = line.index + 1;
        // The window shows a line at most every refresh; formatting each one
        // would cost more than copying it.
        if (line.index % kLinesPerDetail == 0 || position == lineCount) ShowLine(report, position, lineCount, line);
        std::memcpy(out, line.text.data(), line.text.size() * sizeof(wchar_t));
        out += line.text.size();
        std::memcpy(out, line.columns.data(), line.columns.size() * sizeof(wchar_t));
        out += line.columns.size();
        if (position < lineCount) {
            out = std::copy(separator.begin(), separator.end(), out);
            report.SetPosition(position + 1);
        }
        afterLine(report);
    }
    *out++ = 0;
    // The block may be larger than the text (a size counted generously); what
    // follows the text must not be whatever the heap held before.
    const auto* end = reinterpret_cast<const unsigned char*>(lock.data()) + bytes;
    std::memset(out, 0, static_cast<std::size_t>(end - reinterpret_cast<unsigned char*>(out)));
    return true;
} catch (const std::bad_alloc&) { // the lines' reader
    results.text.reset();
    report.FreezeTimer();
    ShowOutputError(report, IDS_OUT_OF_MEMORY);
    return false;
}

void ShowLine(ProgressReport& report, std::uint64_t position, std::uint64_t lineCount, const ResultLine& line) noexcept
{
    // A line with columns is shown up to where its text ends.
    wchar_t text[1024];
    const std::size_t length = std::min<std::size_t>(line.Length(), std::size(text) - 1);
    const std::size_t fromText = std::min(length, line.text.size());
    std::memcpy(text, line.text.data(), fromText * sizeof(wchar_t));
    std::memcpy(text + fromText, line.columns.data(), (length - fromText) * sizeof(wchar_t));
    text[length] = 0;
    report.DetailText().Format(L"(%u/%u) %s", static_cast<unsigned>(position), static_cast<unsigned>(lineCount),
                               text);
}

} // namespace lumbrix
