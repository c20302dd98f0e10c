// A copy of a million lines: the text still reaches the clipboard whole, and
// the process needs no more than twice the text's own size, the block included.

#include "output/clipboard_transfer.h"
#include "output/text_assembly.h"
#include "support/clipboard_reader.h"
#include "support/phase_job.h"

#include <gtest/gtest.h>
#include <psapi.h>

#include <string>

namespace lumbrix::test {
namespace {

std::size_t PeakWorkingSet()
{
    PROCESS_MEMORY_COUNTERS counters = {sizeof(counters)};
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters));
    return counters.PeakWorkingSetSize;
}

std::wstring LineText(int i)
{
    wchar_t text[96];
    ::wsprintfW(text, L"C:\\Data\\Projects\\Folder%04d\\file%07d.txt\t%d bytes", i / 1000, i, i % 5000);
    return text;
}

TEST(LargeCopy, AMillionLinesReachTheClipboardWithinTwiceTheirSize)
{
    constexpr int kLines = 1000000;
    const std::size_t before = PeakWorkingSet();
    JobPointer job = NewPhaseJob();
    std::uint64_t textUnits = 0;
    for (int i = 0; i < kLines; ++i) {
        const std::wstring text = LineText(i);
        job->results.totalChars += text.size() + 2;
        textUnits += text.size() + 2;
        job->results.lines.Append(text);
    }
    ASSERT_EQ(job->results.lines.size(), std::uint64_t(kLines));
    ASSERT_TRUE(BuildText(job->results, job->report));
    ASSERT_TRUE(CopyToClipboard(job->results, job->report));
    const std::size_t used = PeakWorkingSet() - before;
    job.reset();

    const std::size_t textBytes = textUnits * sizeof(wchar_t);
    std::printf("%d lines, %zu MiB of text, peak working set grew by %zu MiB (%.1fx)\n", kLines, textBytes >> 20,
                used >> 20, double(used) / double(textBytes));
    EXPECT_LT(used, 2 * textBytes);

    const auto clipboard = ReadClipboard();
    ASSERT_TRUE(clipboard.has_value());
    const std::wstring text = clipboard->Text();
    EXPECT_EQ(text.size(), textUnits - 2);
    EXPECT_TRUE(text.starts_with(LineText(0) + L"\r\n"));
    EXPECT_TRUE(text.ends_with(L"\r\n" + LineText(kLines - 1)));
}

} // namespace
} // namespace lumbrix::test
