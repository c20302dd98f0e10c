// When the block cannot be had or the clipboard cannot be opened, the user is
// told why, the block is gone, and the save question follows.

#include "output/clipboard_transfer.h"
#include "output/save_to_file.h"
#include "output/text_assembly.h"
#include "output/text_block_allocation.h"
#include "output_job.h"
#include "support/clipboard_reader.h"
#include "support/dialog_watcher.h"
#include "support/test_paths.h"

#include <gtest/gtest.h>

#include <thread>

namespace lumbrix::test {
namespace {

constexpr wchar_t kSaveQuestion[] =
    L"残念ながら、クリップボードは一度に大きなデータを扱うように出来ていません。\r\n"
    L"処理結果をファイルに保存しますか？";

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
    EXPECT_EQ(seen[0].text, L"メモリの確保に失敗しました。\r\nデータサイズが大き過ぎるかも知れません。\r\n"
                            L"データサイズは 20 バイトです。");
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

// Another program that keeps the clipboard open for two seconds.
class ClipboardHolder {
public:
    explicit ClipboardHolder(DWORD holdMs)
    {
        const std::wstring eventName = L"lumbrix-clipboard-held-" + std::to_wstring(::GetCurrentProcessId());
        ready_ = ::CreateEventW(nullptr, TRUE, FALSE, eventName.c_str());
        std::wstring commandLine = L"\"" + ProgramFolder() + L"\\clipboard_holder.exe\" " + eventName + L" " +
                                   std::to_wstring(holdMs);
        STARTUPINFOW startup = {sizeof(startup)};
        PROCESS_INFORMATION process = {};
        if (::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &process)) {
            process_ = process.hProcess;
            ::CloseHandle(process.hThread);
        }
    }
    ~ClipboardHolder()
    {
        if (process_) {
            ::WaitForSingleObject(process_, 10000);
            ::CloseHandle(process_);
        }
        if (ready_) ::CloseHandle(ready_);
    }
    bool WaitUntilHeld() const
    {
        const HANDLE handles[] = {ready_, process_};
        return process_ && ::WaitForMultipleObjects(2, handles, FALSE, 10000) == WAIT_OBJECT_0;
    }

private:
    HANDLE ready_ = nullptr;
    HANDLE process_ = nullptr;
};

TEST_F(ClipboardFailures, ClipboardHeldByAnotherProgramIsReportedThenSaveIsOffered)
{
    ASSERT_TRUE(WriteClipboard(L"before"));
    auto job = MakeJob({L"a", L"b"});
    ASSERT_TRUE(BuildText(*job));
    ClipboardHolder holder(2000);
    ASSERT_TRUE(holder.WaitUntilHeld());
    const DWORD start = ::GetTickCount();
    EXPECT_FALSE(CopyToClipboard(*job));
    const DWORD waited = ::GetTickCount() - start;
    EXPECT_FALSE(job->results.text) << "the block is freed";
    EXPECT_FALSE(SaveToFile(*job));
    ASSERT_TRUE(watcher_.WaitForCount(2));
    const auto seen = watcher_.Seen();
    EXPECT_EQ(seen[0].caption, L"Lumbrix64");
    EXPECT_EQ(seen[0].text, L"クリップボードを開くのに失敗しました。");
    EXPECT_EQ(seen[1].text, kSaveQuestion);
    EXPECT_GE(waited, 900u) << "about one second of attempts";
    EXPECT_EQ(ReadClipboard()->Text(), L"before");
}

TEST_F(ClipboardFailures, CancelWhileWaitingForTheClipboardLeavesItAndShowsNothing)
{
    ASSERT_TRUE(WriteClipboard(L"before"));
    auto job = MakeJob({L"a"});
    ASSERT_TRUE(BuildText(*job));
    ClipboardHolder holder(1500);
    ASSERT_TRUE(holder.WaitUntilHeld());
    std::thread canceller([&] {
        ::Sleep(150);
        job->progress.running = false;
    });
    const DWORD start = ::GetTickCount();
    EXPECT_FALSE(CopyToClipboard(*job));
    const DWORD waited = ::GetTickCount() - start;
    canceller.join();
    EXPECT_LT(waited, 900u) << "the retries stop at the cancel";
    EXPECT_FALSE(job->results.text);
    EXPECT_FALSE(SaveToFile(*job));
    ::Sleep(200); // a box would have been seen by now
    EXPECT_EQ(watcher_.Count(), 0u);
    EXPECT_EQ(ReadClipboard()->Text(), L"before");
}

TEST_F(ClipboardFailures, ClipboardReleasedWithinTheRetriesIsStillUsed)
{
    auto job = MakeJob({L"late"});
    ASSERT_TRUE(BuildText(*job));
    ClipboardHolder holder(300);
    ASSERT_TRUE(holder.WaitUntilHeld());
    EXPECT_TRUE(CopyToClipboard(*job));
    EXPECT_EQ(ReadClipboard()->Text(), L"late");
    EXPECT_EQ(watcher_.Count(), 0u);
}

} // namespace
} // namespace lumbrix::test
