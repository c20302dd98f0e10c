// The lines reach the clipboard as one CF_UNICODETEXT block: CR LF between the
// lines, a NUL at the end, nothing shortened; a cancel leaves it untouched.

#include "output/text_block_allocation.h"
#include "output_job.h"
#include "support/clipboard_reader.h"
#include "support/dialog_watcher.h"

#include <gtest/gtest.h>

#include <cstring>

namespace lumbrix::test {
namespace {

class TextToClipboard : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(WriteClipboard(L"before")); }

    // Builds and hands over the text; the block leaves the job.
    std::wstring Deliver(PhaseJob& job)
    {
        EXPECT_TRUE(BuildText(job));
        EXPECT_TRUE(CopyToClipboard(job));
        EXPECT_FALSE(job.results.text) << "the clipboard owns the block now";
        const auto clipboard = ReadClipboard();
        EXPECT_TRUE(clipboard.has_value());
        return clipboard ? clipboard->units : std::wstring();
    }

    DialogWatcher watcher_; // no box is expected; answers any so nothing hangs
};

// A block that still holds what the heap held before, as a reused one may.
HGLOBAL WINAPI UsedBlock(UINT flags, SIZE_T bytes)
{
    const HGLOBAL block = ::GlobalAlloc(flags, bytes);
    GlobalLock lock(block);
    if (lock.data()) std::memset(lock.data(), 0xAB, bytes);
    return block;
}

TEST_F(TextToClipboard, ThreeLinesAreJoinedByCrLfAndEndedByNul)
{
    auto job = MakeJob({L"b", L"c", L"a"});
    ASSERT_EQ(job->results.totalChars, 9u);
    textBlockAllocatorForTesting = UsedBlock;
    const bool built = BuildText(*job);
    textBlockAllocatorForTesting = nullptr;
    ASSERT_TRUE(built);
    ASSERT_TRUE(job->results.text);
    EXPECT_EQ(::GlobalSize(job->results.text.get()), 20u);
    {
        GlobalLock lock(job->results.text.get());
        const auto* units = static_cast<const wchar_t*>(lock.data());
        ASSERT_NE(units, nullptr);
        EXPECT_EQ(std::wstring(units, 8), std::wstring(L"a\r\nb\r\nc\0", 8));
        EXPECT_EQ(std::wstring(units + 8, 2), std::wstring(2, L'\0')) << "nothing of the heap's past after the text";
    }
    ASSERT_TRUE(CopyToClipboard(*job));
    const auto clipboard = ReadClipboard();
    ASSERT_TRUE(clipboard.has_value());
    EXPECT_EQ(clipboard->units.substr(0, 8), std::wstring(L"a\r\nb\r\nc\0", 8));
    EXPECT_EQ(clipboard->Text(), L"a\r\nb\r\nc");
    EXPECT_EQ(watcher_.Count(), 0u);
}

TEST_F(TextToClipboard, SingleLineHasNoLineBreak)
{
    auto job = MakeJob({L"C:\\folder\\name.txt"});
    const std::wstring units = Deliver(*job);
    EXPECT_EQ(units.substr(0, units.find(L'\0') + 1), std::wstring(L"C:\\folder\\name.txt\0", 19));
}

TEST_F(TextToClipboard, EmptyListGivesJustTheTerminator)
{
    auto job = MakeJob({});
    ASSERT_TRUE(BuildText(*job));
    EXPECT_EQ(::GlobalSize(job->results.text.get()), 2u);
    ASSERT_TRUE(CopyToClipboard(*job));
    const auto clipboard = ReadClipboard();
    ASSERT_TRUE(clipboard.has_value());
    ASSERT_FALSE(clipboard->units.empty());
    EXPECT_EQ(clipboard->units[0], L'\0');
}

TEST_F(TextToClipboard, LongLinesArriveWhole)
{
    const std::wstring longLine(5000, L'長');
    auto job = MakeJob({longLine, L"short"}); // "short" sorts first
    const std::wstring expected = L"short\r\n" + longLine + std::wstring(1, L'\0');
    EXPECT_TRUE(Deliver(*job).substr(0, expected.size()) == expected);
}

TEST_F(TextToClipboard, UnderstatedTotalNeverOverrunsTheBlock)
{
    auto job = MakeJob({L"alpha", L"beta"});
    job->results.totalChars = 3; // as if a phase forgot to count what it appended
    EXPECT_EQ(Deliver(*job).substr(0, 12), std::wstring(L"alpha\r\nbeta\0", 12));
}

TEST_F(TextToClipboard, CancelBeforeTheFirstLineLeavesClipboardAndShowsNothing)
{
    auto job = MakeJob({L"a", L"b"});
    const DWORD sequence = ClipboardSequence();
    job->report.Stop();
    EXPECT_FALSE(BuildText(*job));
    EXPECT_FALSE(job->results.text);
    EXPECT_FALSE(CopyToClipboard(*job));
    EXPECT_FALSE(SaveToFile(*job));
    // A box blocks the phase that shows it: one would have been seen and closed by now.
    EXPECT_EQ(watcher_.Count(), 0u);
    EXPECT_EQ(ClipboardSequence(), sequence);
    EXPECT_EQ(ReadClipboard()->Text(), L"before");
}

// Cancels as the Cancel button would once line 1000 has been written.
void CancelAfterLine1000(ProgressReport& report, void* linesWritten)
{
    if (++*static_cast<std::uint64_t*>(linesWritten) == 1000) report.Stop();
}

TEST_F(TextToClipboard, CancelDuringAssemblyStopsAtTheNextLine)
{
    auto job = MakeJob(ManyLines(200000, 40));
    std::uint64_t linesWritten = 0;
    const bool built = BuildText(*job, StepHook{CancelAfterLine1000, &linesWritten});
    EXPECT_FALSE(built);
    EXPECT_EQ(linesWritten, 1000u) << "not one line after the cancel";
    EXPECT_LT(job->report.Position(), job->results.lines.size()) << "the run ended before the cancel";
    EXPECT_FALSE(job->results.text);
    EXPECT_FALSE(CopyToClipboard(*job));
    EXPECT_EQ(ReadClipboard()->Text(), L"before");
    EXPECT_EQ(watcher_.Count(), 0u);
}

} // namespace
} // namespace lumbrix::test
