// When the block cannot be had or the clipboard cannot be opened, the user is
// told why, the block is gone, and the save question follows.

#include "common/unique_any.h"
#include "output/clipboard_scope.h"
#include "output/text_block_allocation.h"
#include "output_job.h"
#include "support/clipboard_reader.h"
#include "support/dialog_watcher.h"
#include "support/display_language.h"
#include "support/test_paths.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace lumbrix::test {
namespace {

const std::wstring kSaveQuestion =
    InDisplayLanguage(L"残念ながら、クリップボードは一度に大きなデータを扱うように出来ていません。\r\n"
                      L"処理結果をファイルに保存しますか？",
                      L"The clipboard cannot take this much data at once.\r\n"
                      L"Do you want to save the results to a file?");

// Answers every box with No where it can: the save question is declined.
class ClipboardFailures : public ::testing::Test {
protected:
    void TearDown() override { textBlockAllocatorForTesting = nullptr; }
    DialogWatcher watcher_{IDNO};
};

HGLOBAL WINAPI RefuseBlock(UINT, SIZE_T)
{
    ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
}

// A movable block of no bytes exists but is discarded, so it cannot be locked.
HGLOBAL WINAPI DiscardedBlock(UINT, SIZE_T) { return ::GlobalAlloc(GMEM_MOVEABLE, 0); }

TEST_F(ClipboardFailures, RefusedBlockNamesItsSizeThenOffersToSave)
{
    auto job = MakeJob({L"a", L"b", L"c"});
    textBlockAllocatorForTesting = RefuseBlock;
    EXPECT_FALSE(BuildText(*job));
    EXPECT_FALSE(job->results.text);
    EXPECT_FALSE(CopyToClipboard(*job)) << "nothing to hand over";
    EXPECT_FALSE(SaveToFile(*job)) << "the question was declined";
    ASSERT_TRUE(watcher_.WaitForCount(2));
    const auto seen = watcher_.Seen();
    EXPECT_EQ(seen[0].caption, L"Lumbrix64");
    EXPECT_EQ(seen[0].text, InDisplayLanguage(L"メモリの確保に失敗しました。\r\nデータサイズが大き過ぎるかも知れません。\r\n"
                                              L"データサイズは 20 バイトです。",
                                              L"Could not allocate memory.\r\nThe data may be too large.\r\n"
                                              L"The data size is 20 bytes."));
    EXPECT_EQ(seen[1].caption, L"Lumbrix64");
    EXPECT_EQ(seen[1].text, kSaveQuestion);
}

TEST_F(ClipboardFailures, SizesBeyondFourGigabytesAreStatedExactly)
{
    auto job = MakeJob({L"a"});
    job->results.totalChars = 3000000000ull;
    textBlockAllocatorForTesting = RefuseBlock;
    EXPECT_FALSE(BuildText(*job));
    ASSERT_TRUE(watcher_.WaitForCount(1));
    EXPECT_EQ(watcher_.Seen()[0].text, L"メモリの確保に失敗しました。\r\nデータサイズが大き過ぎるかも知れません。\r\n"
                                       L"データサイズは 6000000002 バイトです。");
}

TEST_F(ClipboardFailures, UnlockableBlockIsReportedAndFreed)
{
    auto job = MakeJob({L"a", L"b", L"c"});
    textBlockAllocatorForTesting = DiscardedBlock;
    EXPECT_FALSE(BuildText(*job));
    EXPECT_FALSE(job->results.text);
    ASSERT_TRUE(watcher_.WaitForCount(1));
    EXPECT_EQ(watcher_.Seen()[0].text, L"メモリの固定に失敗しました。\r\nデータサイズが大き過ぎるかも知れません。\r\n"
                                       L"データサイズは 20 バイトです。");
}

// Another program that keeps the clipboard open until it is told to let go.
class ClipboardHolder {
public:
    ClipboardHolder()
    {
        const std::wstring prefix = L"lumbrix-clipboard-" + std::to_wstring(::GetCurrentProcessId());
        held_.reset(::CreateEventW(nullptr, TRUE, FALSE, (prefix + L"-held").c_str()));
        release_.reset(::CreateEventW(nullptr, TRUE, FALSE, (prefix + L"-release").c_str()));
        released_.reset(::CreateEventW(nullptr, TRUE, FALSE, (prefix + L"-released").c_str()));
        std::wstring commandLine = L"\"" + ProgramFolder() + L"\\clipboard_holder.exe\" " + prefix;
        STARTUPINFOW startup = {sizeof(startup)};
        PROCESS_INFORMATION process = {};
        if (::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &process)) {
            process_.reset(process.hProcess);
            ::CloseHandle(process.hThread);
        }
    }
    ~ClipboardHolder()
    {
        Release();
        if (process_) ::WaitForSingleObject(process_.get(), 10000);
    }
    bool WaitUntilHeld() const
    {
        const HANDLE handles[] = {held_.get(), process_.get()};
        return process_ && ::WaitForMultipleObjects(2, handles, FALSE, 10000) == WAIT_OBJECT_0;
    }
    // Returns once the holder has closed the clipboard.
    void Release() const
    {
        if (!process_) return;
        ::SetEvent(release_.get());
        const HANDLE handles[] = {released_.get(), process_.get()};
        ::WaitForMultipleObjects(2, handles, FALSE, 10000);
    }

private:
    UniqueHandle held_;
    UniqueHandle release_;
    UniqueHandle released_;
    UniqueHandle process_;
};

// The failed tries at the clipboard, and what to do after the how-manyth.
struct ClipboardTries {
    unsigned failed = 0;
    unsigned cancelAfter = 0;                // clear running after this many (0: never)
    unsigned releaseAfter = 0;               // let the holder go after this many (0: never)
    const ClipboardHolder* holder = nullptr;
};

void CountFailedTry(ProgressReport& report, void* context)
{
    auto& tries = *static_cast<ClipboardTries*>(context);
    ++tries.failed;
    if (tries.failed == tries.cancelAfter) report.Stop();
    if (tries.failed == tries.releaseAfter) tries.holder->Release();
}

TEST_F(ClipboardFailures, ClipboardHeldByAnotherProgramIsReportedThenSaveIsOffered)
{
    ASSERT_TRUE(WriteClipboard(L"before"));
    auto job = MakeJob({L"a", L"b"});
    ASSERT_TRUE(BuildText(*job));
    ClipboardHolder holder;
    ASSERT_TRUE(holder.WaitUntilHeld());
    ClipboardTries tries;
    EXPECT_FALSE(CopyToClipboard(*job, StepHook{CountFailedTry, &tries}));
    EXPECT_FALSE(job->results.text) << "the block is freed";
    EXPECT_FALSE(SaveToFile(*job));
    ASSERT_TRUE(watcher_.WaitForCount(2));
    const auto seen = watcher_.Seen();
    EXPECT_EQ(seen[0].caption, L"Lumbrix64");
    EXPECT_EQ(seen[0].text, L"クリップボードを開くのに失敗しました。");
    EXPECT_EQ(seen[1].text, kSaveQuestion);
    EXPECT_EQ(tries.failed, 20u) << "about one second of attempts, 50 ms apart";
    holder.Release();
    EXPECT_EQ(ReadClipboard()->Text(), L"before");
}

TEST_F(ClipboardFailures, CancelWhileWaitingForTheClipboardLeavesItAndShowsNothing)
{
    ASSERT_TRUE(WriteClipboard(L"before"));
    auto job = MakeJob({L"a"});
    ASSERT_TRUE(BuildText(*job));
    ClipboardHolder holder;
    ASSERT_TRUE(holder.WaitUntilHeld());
    ClipboardTries tries;
    tries.cancelAfter = 3;
    EXPECT_FALSE(CopyToClipboard(*job, StepHook{CountFailedTry, &tries}));
    EXPECT_EQ(tries.failed, 3u) << "the retries stop at the cancel";
    EXPECT_FALSE(job->results.text);
    EXPECT_FALSE(SaveToFile(*job));
    // A box blocks the phase that shows it: one would have been seen and closed by now.
    EXPECT_EQ(watcher_.Count(), 0u);
    holder.Release();
    EXPECT_EQ(ReadClipboard()->Text(), L"before");
}

TEST_F(ClipboardFailures, ClipboardReleasedWithinTheRetriesIsStillUsed)
{
    auto job = MakeJob({L"late"});
    ASSERT_TRUE(BuildText(*job));
    ClipboardHolder holder;
    ASSERT_TRUE(holder.WaitUntilHeld());
    ClipboardTries tries;
    tries.releaseAfter = 3;
    tries.holder = &holder;
    EXPECT_TRUE(CopyToClipboard(*job, StepHook{CountFailedTry, &tries}));
    EXPECT_EQ(tries.failed, 3u);
    EXPECT_EQ(ReadClipboard()->Text(), L"late");
    EXPECT_EQ(watcher_.Count(), 0u);
}

// Copies of one process (the file manager runs several at once) take turns:
// while one has the clipboard open, another waits instead of taking it over.
TEST_F(ClipboardFailures, CopiesOfOneProcessTakeTurnsAtTheClipboard)
{
    auto first = MakeJob({L"first"});
    auto second = MakeJob({L"second"});
    ASSERT_TRUE(BuildText(*second));
    const UniqueHandle opened(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const UniqueHandle release(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    bool firstOpen = false;
    std::thread holder([&] {
        ClipboardScope scope(first->report, StepHook{});
        firstOpen = scope.IsOpen();
        ::SetEvent(opened.get());
        ::WaitForSingleObject(release.get(), 10000);
    });
    ASSERT_EQ(::WaitForSingleObject(opened.get(), 10000), WAIT_OBJECT_0);
    struct Turn {
        unsigned failed = 0;
        HANDLE release;
    } turn{0, release.get()};
    const bool copied = CopyToClipboard(*second, StepHook{[](ProgressReport&, void* context) {
                                            auto& turn = *static_cast<Turn*>(context);
                                            if (++turn.failed == 3) ::SetEvent(turn.release);
                                        },
                                                          &turn});
    ::SetEvent(release.get());
    holder.join();
    EXPECT_TRUE(firstOpen);
    EXPECT_TRUE(copied);
    EXPECT_EQ(turn.failed, 3u) << "the second waited for the first";
    EXPECT_EQ(ReadClipboard()->Text(), L"second");
    EXPECT_EQ(watcher_.Count(), 0u);
}

} // namespace
} // namespace lumbrix::test
