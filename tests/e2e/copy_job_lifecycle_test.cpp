// Whole jobs in this process, from the worker's start to its end: exit codes,
// cancellation in every phase, many copies at once, and nothing left behind.

#include "common/unique_any.h"
#include "running_job.h"
#include "shellext/copy_worker.h"
#include "support/attribute_seam.h"
#include "support/clipboard_reader.h"
#include "support/dialog_watcher.h"
#include "support/process_census.h"
#include "support/scratch_folder.h"
#include "support/unix_links.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace lumbrix::test {
namespace {

class CopyJobLifecycle : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder_ = new ScratchFolder;
        // Enough entries that a walk is still going when the cancel arrives.
        for (int f = 0; f < 40; ++f)
            for (int i = 0; i < 50; ++i)
                folder_->AddFile(L"tree\\f" + std::to_wstring(f) + L"\\file" + std::to_wstring(i) + L".txt", "x");
        // A file that takes seconds to hash.
        folder_->AddSparseFile(L"big\\big.bin", 2ULL << 30);
    }
    static void TearDownTestSuite()
    {
        delete folder_;
        folder_ = nullptr;
    }

    static ScratchFolder* folder_;
};
ScratchFolder* CopyJobLifecycle::folder_ = nullptr;

TEST_F(CopyJobLifecycle, StartedWithoutAJobEndsWithCodeOne) { EXPECT_EQ(RunCopyJob(nullptr), 1u); }

TEST_F(CopyJobLifecycle, CancelInEveryPhaseLeavesTheClipboardAndShowsNothing)
{
    DialogWatcher watcher;
    struct Case {
        const wchar_t* phase;
        std::wstring path;
        std::initializer_list<OptionFlag> options;
        DWORD exitCode;
    };
    const Case cases[] = {
        {L"検索しています", *folder_ / L"tree", {}, CopyJobCancelled},
        {L"並べ替えています", *folder_ / L"tree", {}, CopyJobCancelled},
        {L"ハッシュを生成しています", *folder_ / L"big", {OutputMD5, OutputCRC32}, CopyJobHashCancelled},
        {L"テキストを生成しています", *folder_ / L"tree", {OutputSize}, CopyJobCancelled},
    };
    for (const Case& c : cases) {
        WriteClipboard(L"untouched");
        const DWORD sequence = ClipboardSequence();
        // The sorting has no hook: it is cancelled from this thread, as it shows its status.
        const bool sorting = std::wstring(c.phase) == L"並べ替えています";
        RunningJob job(NewJob(FullPathWithSubfolders, c.path, c.options), sorting ? L"" : c.phase);
        const bool cancelledFromHere = sorting && job.CancelDuring(c.phase);
        const DWORD exitCode = job.Wait();
        if (sorting) {
            if (!cancelledFromHere) continue; // the sorting of a small tree may be done before the cancel can land
        } else {
            EXPECT_TRUE(job.Cancelled()) << "phase " << std::distance(cases, &c);
        }
        EXPECT_EQ(exitCode, c.exitCode) << "phase " << std::distance(cases, &c);
        EXPECT_EQ(ClipboardSequence(), sequence);
    }
    EXPECT_EQ(watcher.Count(), 0u) << "a cancelled copy shows no message";
}

// The case: a cancel while 20,000 selected files are expanded with the
// size column. The expansion stops at the next selected item, in both loops
// over the selection; how long the worker took to end is printed, not checked.
TEST_F(CopyJobLifecycle, CancelWhileManySelectedFilesAreExpandedStopsAtTheNextItem)
{
    ScratchFolder scratch;
    ASSERT_TRUE(MakeEmptyFilesQuickly(scratch.path(), L"f", 20000));
    SelectionList selection;
    for (int i = 0; i < 20000; ++i) selection.Insert(scratch / (L"f" + std::to_wstring(i) + L".txt"));
    struct Count {
        std::atomic<int> items{0};
        std::atomic<DWORD> cancelledAt{0};
    };
    for (const std::int32_t mode : {FullPath, FullPathWithSubfolders}) {
        CopyJobPointer job = CreateCopyJob();
        ASSERT_TRUE(job);
        job->request.mode = mode;
        job->request.options[OutputSize] = true;
        job->request.selection = selection;
        job->request.fileCount = selection.Size();
        Count count;
        job->hooks.afterSelected = StepHook{[](ProgressReport& report, void* context) {
                                                auto& count = *static_cast<Count*>(context);
                                                if (++count.items != 100) return;
                                                count.cancelledAt = ::GetTickCount();
                                                report.Stop();
                                            },
                                            &count};
        WriteClipboard(L"untouched");
        const DWORD sequence = ClipboardSequence();
        RunningJob running(std::move(job));
        EXPECT_EQ(running.Wait(), CopyJobCancelled);
        const DWORD stopped = ::GetTickCount() - count.cancelledAt;
        EXPECT_EQ(count.items, 100) << "no selected item after the cancel, mode " << mode;
        EXPECT_EQ(ClipboardSequence(), sequence);
        std::printf("mode %d: 20,000 selected files, cancelled at the 100th; the worker ended %lu ms later\n",
                    static_cast<int>(mode), stopped);
    }
    EXPECT_TRUE(RemoveTreeQuickly(scratch.path()));
}

TEST_F(CopyJobLifecycle, WhatCouldNotBeReadIsToldOnceTheTextIsOnTheClipboard)
{
    ScratchFolder scratch;
    scratch.AddFile(L"top\\locked\\inside.txt", "x");
    scratch.AddFile(L"top\\open\\inside.txt", "x");
    UniqueFile lock(::CreateFileW((scratch / L"top\\locked").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    ASSERT_TRUE(lock);
    struct Box {
        std::wstring caption, text, ownerClass, clipboard;
        bool informationIcon = false;
    };
    std::vector<Box> boxes;
    DialogWatcher watcher([&boxes](const SeenDialog& dialog) {
        wchar_t ownerClass[64] = {};
        ::GetClassNameW(::GetWindow(dialog.window, GW_OWNER), ownerClass, 64);
        const auto clipboard = ReadClipboard();
        boxes.push_back({dialog.caption, dialog.text, ownerClass, clipboard ? clipboard->Text() : L"",
                         dialog.icon == ::LoadIconW(nullptr, IDI_INFORMATION)});
        DialogWatcher::PressButton(dialog.window, IDOK);
        return true;
    });
    const std::wstring top = scratch / L"top";
    for (const bool locked : {true, false}) {
        if (!locked) lock.reset();
        WriteClipboard(L"untouched");
        RunningJob job(NewJob(RelativeWithSubfolders, top, {}));
        EXPECT_EQ(job.Wait(), 0u);
    }
    ASSERT_TRUE(watcher.WaitForCount(1));
    ASSERT_EQ(watcher.Count(), 1u) << "none when nothing is left out";
    EXPECT_EQ(boxes[0].caption, L"Lumbrix64");
    EXPECT_EQ(boxes[0].text, L"読み取れなかったフォルダがあります。その中身はコピーした一覧に含まれていません。\r\n" +
                                 top + L"\\locked");
    EXPECT_EQ(boxes[0].ownerClass, L"Lumbrix64_Progress");
    EXPECT_TRUE(boxes[0].informationIcon);
    EXPECT_EQ(boxes[0].clipboard, L"top\r\ntop\\locked\r\ntop\\open\r\ntop\\open\\inside.txt")
        << "every line it could make, delivered before the box";

    // A file whose data is online only (which Wine cannot make: through the
    // seam) is not read for its digest: marked, and told in the same box.
    lock.reset(::CreateFileW((scratch / L"top\\locked").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    ASSERT_TRUE(lock);
    const AttributeSeam seam([](std::wstring_view name, ItemAttributes& read) {
        if (name == L"inside.txt") read.attributes |= FILE_ATTRIBUTE_OFFLINE;
    });
    RunningJob job(NewJob(RelativeWithSubfolders, top, {OutputMD5}));
    EXPECT_EQ(job.Wait(), 0u);
    ASSERT_TRUE(watcher.WaitForCount(2));
    EXPECT_EQ(boxes[1].text, L"読み取れなかったフォルダがあります。その中身はコピーした一覧に含まれていません。\r\n" +
                                 top + L"\\locked\r\n\r\nダウンロードされていないファイルがあります。"
                                       L"読み込むとダウンロードされるため、ハッシュは (ハッシュ取得失敗) としました。\r\n" +
                                 top + L"\\open\\inside.txt");
    EXPECT_EQ(boxes[1].clipboard, L"top\r\ntop\\locked\r\ntop\\open\r\ntop\\open\\inside.txt\t(ハッシュ取得失敗)");

    // Two left out: their number, and the first that the walk met.
    const UniqueFile lockOpen(::CreateFileW((top + L"\\open").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                            FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    ASSERT_TRUE(lockOpen);
    RunningJob(NewJob(RelativeWithSubfolders, top, {})).Wait();
    ASSERT_TRUE(watcher.WaitForCount(3));
    const std::wstring two = L"読み取れなかったフォルダが 2 個あります。その中身はコピーした一覧に含まれていません。\r\n"
                             L"最初のフォルダ: " + top;
    EXPECT_TRUE(boxes[2].text == two + L"\\locked" || boxes[2].text == two + L"\\open") << boxes[2].text.size();
}

TEST_F(CopyJobLifecycle, AHundredCancelledJobsLeaveNoHandleThreadOrGdiObject)
{
    DialogWatcher watcher;
    // The first jobs load what stays loaded (window class, common controls,
    // fonts, and the objects behind the debugger output, which a folder in a
    // hashed list writes to).
    ::OutputDebugStringW(L"");
    RunningJob(NewJob(FullPath, *folder_ / L"tree", {})).Wait();
    RunningJob(NewJob(FullPathWithSubfolders, *folder_ / L"big", {OutputSHA1}), L"ハッシュを生成しています").Wait();
    RunningJob(NewJob(FullPathWithSubfolders, *folder_ / L"tree", {OutputSHA1}), L"検索しています").Wait();
    const int threads = ThreadCount();
    const std::size_t handles = KernelHandleCount();
    const std::size_t gdiObjects = GdiObjectCount();
    for (int i = 0; i < 100; ++i) {
        const bool hashing = i % 2 == 1;
        RunningJob job(NewJob(FullPathWithSubfolders, *folder_ / (hashing ? L"big" : L"tree"),
                              {OutputSize, OutputSHA1}),
                       hashing ? L"ハッシュを生成しています" : L"検索しています");
        // With a digest column every cancel ends at the hashing pass: code 2.
        EXPECT_EQ(job.Wait(), 2u);
        EXPECT_TRUE(job.Cancelled());
    }
    EXPECT_EQ(ThreadCount(), threads);
    EXPECT_EQ(KernelHandleCount(), handles);
    EXPECT_EQ(GdiObjectCount(), gdiObjects);
    EXPECT_EQ(watcher.Count(), 0u);
}

TEST_F(CopyJobLifecycle, TenCopiesAtOnceAllCompleteAndTheLastOwnsTheClipboard)
{
    ScratchFolder folders;
    std::vector<std::wstring> paths;
    for (int k = 0; k < 10; ++k) {
        // Copy k hashes 128 MiB more than copy k-1, so the copies end in order
        // of k, far enough apart that a wait for the clipboard does not reorder them.
        paths.push_back(folders.AddFolder(L"copy" + std::to_wstring(k)));
        folders.AddSparseFile(L"copy" + std::to_wstring(k) + L"\\data.bin", std::uint64_t(k) * 128 << 20);
    }
    const int threads = ThreadCount();
    std::vector<std::unique_ptr<RunningJob>> jobs;
    for (const std::wstring& path : paths)
        jobs.push_back(std::make_unique<RunningJob>(NewJob(FullPathWithSubfolders, path, {OutputCRC32, OutputMD5})));
    // Each copy has a progress window (and a thread for it) of its own.
    std::set<HWND> windows;
    for (int attempt = 0; attempt < 2000 && windows.size() < 10; ++attempt) {
        for (HWND w = nullptr; (w = ::FindWindowExW(nullptr, w, L"Lumbrix64_Progress", nullptr)) != nullptr;)
            windows.insert(w);
        ::Sleep(2);
    }
    EXPECT_EQ(windows.size(), 10u);
    for (auto& job : jobs) EXPECT_EQ(job->Wait(), 0u);
    EXPECT_EQ(ThreadCount(), threads);
    ::Sleep(3000);
    EXPECT_EQ(ThreadCount(), threads);
    const auto clipboard = ReadClipboard();
    ASSERT_TRUE(clipboard.has_value());
    const std::wstring text = clipboard->Text();
    // On a loaded machine the scheduler may still swap the two largest copies
    // (128 MiB apart); any earlier copy owning the clipboard is a fault.
    const bool lastOrNextToLast = text.rfind(paths[9] + L"\r\n", 0) == 0 || text.rfind(paths[8] + L"\r\n", 0) == 0;
    EXPECT_TRUE(lastOrNextToLast) << "a late copy owns the clipboard: " << std::string(text.begin(), text.end());
}

} // namespace
} // namespace lumbrix::test
