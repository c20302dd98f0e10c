// The walk below selected folders on real files under Wine: what it lists,
// folder links and loops, long and deep paths, short names, folders that
// cannot be listed, cancellation, progress and running out of memory.

#include "allocation_failure.h"
#include "job/folder_walk.h"
#include "job_fixture.h"
#include "support/attribute_seam.h"
#include "support/dialog_watcher.h"
#include "support/proj_tree.h"
#include "support/scratch_folder.h"
#include "support/unix_links.h"

#include <gtest/gtest.h>

#include <new>

namespace lumbrix::test {
namespace {

using Strings = std::vector<std::wstring>;

// Opens a folder exclusively: fails while anything else has it open for listing.
UniqueFile OpenExclusively(const std::wstring& folder)
{
    return UniqueFile(::CreateFileW(folder.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

TEST(FolderWalk, ListsHiddenAndSystemEntries)
{
    ScratchFolder scratch;
    const std::wstring hidden = scratch.AddFile(L"top\\hidden.txt");
    const std::wstring system = scratch.AddFolder(L"top\\system");
    scratch.AddFile(L"top\\system\\inner.txt");
    ::SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
    ::SetFileAttributesW(system.c_str(), FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(Expand(RelativeWithSubfolders, {scratch / L"top"}),
              Strings({L"top", L"top\\hidden.txt", L"top\\system", L"top\\system\\inner.txt"}));
}

TEST(FolderWalk, FolderLinesFollowOutputDirectory)
{
    ScratchFolder scratch;
    const std::wstring empty = scratch.AddFolder(L"empty");
    EXPECT_EQ(Expand(RelativeWithSubfolders, {empty}), Strings({L"empty"}));
    EXPECT_EQ(Expand(RelativeWithSubfolders, {empty}, {}, false), Strings());
    const ProjTree tree = MakeProjTree(scratch, L"data");
    EXPECT_EQ(Expand(RelativeWithSubfolders, {tree.proj}, {}, false),
              Strings({L"Proj\\a b.txt", L"Proj\\empty.dat", L"Proj\\src\\main.c"}));
    // Not walked in FullPath: an empty result.
    JobPointer job = MakeJob(FullPath, {tree.proj, empty}, {}, false);
    ASSERT_TRUE(job);
    ExpandSelection(*job);
    EXPECT_TRUE(job->results.lines.empty());
    EXPECT_EQ(job->results.totalChars, 0u);
}

TEST(FolderWalk, FileSelectedWithItsFolderGivesOneLine)
{
    ScratchFolder scratch;
    const ProjTree tree = MakeProjTree(scratch);
    const Strings lines = Expand(FullPathWithSubfolders, {tree.proj + L"\\src\\main.c", tree.proj});
    EXPECT_EQ(lines.size(), 5u);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), tree.proj + L"\\src\\main.c"), 1);
}

TEST(FolderWalk, SelectedItemThatVanishedCountsAsAFile)
{
    ScratchFolder scratch;
    EXPECT_EQ(Expand(RelativeWithSubfolders, {scratch / L"gone"}, {OutputSize}), Strings({L"gone\t0 bytes"}));
    EXPECT_EQ(Expand(FullPathWithSubfolders, {scratch / L"gone"}), Strings({scratch / L"gone"}));
}

class FolderLinks : public ::testing::Test {
protected:
    void SetUp() override
    {
        scratch_.AddFileOfSize(L"root\\real\\f1.txt", 1);
        scratch_.AddFileOfSize(L"root\\real\\deep\\f2.txt", 2);
        ASSERT_TRUE(MakeFolderLink(root_ + L"\\link", L"real"));
        ASSERT_EQ(::GetFileAttributesW((root_ + L"\\link").c_str()),
                  DWORD{FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT});
    }
    // Wine cannot delete a Unix link to a folder; rm takes the links, not their targets.
    void TearDown() override { EXPECT_TRUE(RemoveTreeQuickly(scratch_.path())); }

    ScratchFolder scratch_;
    const std::wstring root_ = scratch_.AddFolder(L"root");
};

TEST_F(FolderLinks, LinkInsideTheWalkIsFollowedUnlessOutputJunction)
{
    const Strings real = {L"root\\real", L"root\\real\\deep", L"root\\real\\deep\\f2.txt", L"root\\real\\f1.txt"};
    Strings followed = {L"root", L"root\\link", L"root\\link\\deep", L"root\\link\\deep\\f2.txt",
                        L"root\\link\\f1.txt"};
    followed.insert(followed.end(), real.begin(), real.end());
    EXPECT_EQ(Expand(RelativeWithSubfolders, {root_}), followed);

    Strings kept = {L"root", L"root\\link"};
    kept.insert(kept.end(), real.begin(), real.end());
    EXPECT_EQ(Expand(RelativeWithSubfolders, {root_}, {OutputJunction}), kept);
}

TEST_F(FolderLinks, OnlyMountPointsAndSymbolicLinksAreLinks)
{
    scratch_.AddFile(L"root\\cloud\\c.txt");
    scratch_.AddFile(L"root\\mount\\m.txt");
    // Wine lists its links with no tag (and they stay links); the tags come through the seam.
    const AttributeSeam seam([](std::wstring_view name, ItemAttributes& read) {
        if (name == L"cloud" || name == L"mount") read.attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
        if (name == L"cloud") read.reparseTag = 0x9000101A; // IO_REPARSE_TAG_CLOUD_1: a placeholder folder
        if (name == L"mount") read.reparseTag = IO_REPARSE_TAG_MOUNT_POINT;
    });
    EXPECT_EQ(Expand(RelativeWithSubfolders, {root_}, {OutputJunction}),
              Strings({L"root", L"root\\cloud", L"root\\cloud\\c.txt", L"root\\link", L"root\\mount", L"root\\real",
                       L"root\\real\\deep", L"root\\real\\deep\\f2.txt", L"root\\real\\f1.txt"}));
}

TEST_F(FolderLinks, SelectedLinkIsWalkedWhateverOutputJunction)
{
    EXPECT_EQ(Expand(RelativeWithSubfolders, {root_ + L"\\link"}, {OutputJunction}),
              Strings({L"link", L"link\\deep", L"link\\deep\\f2.txt", L"link\\f1.txt"}));
}

TEST_F(FolderLinks, LinkToAnAncestorIsListedButNotWalkedAgain)
{
    ASSERT_TRUE(MakeFolderLink(root_ + L"\\real\\deep\\loop", L".."));
    EXPECT_EQ(Expand(RelativeOneLevelDown, {root_ + L"\\real"}),
              Strings({L"deep", L"deep\\f2.txt", L"deep\\loop", L"f1.txt"}));
    // Files only: each real file once per way in, and the walk ends.
    EXPECT_EQ(Expand(RelativeWithSubfolders, {root_}, {}, false),
              Strings({L"root\\link\\deep\\f2.txt", L"root\\link\\f1.txt", L"root\\real\\deep\\f2.txt",
                       L"root\\real\\f1.txt"}));
}

TEST_F(FolderLinks, LinksToEachOtherEndAtTheFirstRepeat)
{
    scratch_.AddFile(L"pair\\x\\fx.txt");
    scratch_.AddFile(L"pair\\y\\fy.txt");
    ASSERT_TRUE(MakeFolderLink(scratch_ / L"pair\\x\\toY", L"../y"));
    ASSERT_TRUE(MakeFolderLink(scratch_ / L"pair\\y\\toX", L"../x"));
    EXPECT_EQ(Expand(RelativeOneLevelDown, {scratch_ / L"pair"}),
              Strings({L"x", L"x\\fx.txt", L"x\\toY", L"x\\toY\\fy.txt", L"x\\toY\\toX", L"y", L"y\\fy.txt",
                       L"y\\toX", L"y\\toX\\fx.txt", L"y\\toX\\toY"}));
}

TEST(FolderWalk, PathsBeyondMaxPathAreWalked)
{
    ScratchFolder scratch;
    std::wstring rel = L"top";
    Strings expected = {L"top"};
    for (int level = 0; level < 18; ++level) {
        rel += L"\\level" + std::to_wstring(level) + L"-" + std::wstring(52, L'x');
        scratch.AddFile(rel + L"\\file.txt");
        expected.push_back(rel);
        expected.push_back(rel + L"\\file.txt");
    }
    const Strings lines = Expand(RelativeWithSubfolders, {scratch / L"top"});
    EXPECT_EQ(lines, InListOrder(expected));
    ASSERT_FALSE(lines.empty());
    const std::size_t longest = (scratch.path() + L"\\" + expected.back()).size();
    EXPECT_GT(longest, 1000u);
    const std::size_t past300 = std::count_if(lines.begin(), lines.end(), [&](const std::wstring& line) {
        return scratch.path().size() + 1 + line.size() > 300;
    });
    EXPECT_GT(past300, 20u);
}

// Runs an expansion on a fresh thread whose unused stack is painted first,
// and reports how deep that stack was used.
std::size_t StackUsedToExpand(PhaseJob& job)
{
    struct Run {
        PhaseJob* job;
        std::size_t used = 0;
    } run{&job};
    const auto body = [](void* parameter) -> DWORD {
        auto* state = static_cast<Run*>(parameter);
        unsigned char here = 0;
        MEMORY_BASIC_INFORMATION stack{};
        ::VirtualQuery(&here, &stack, sizeof(stack)); // the reservation starts at the stack's low end
        auto* top = reinterpret_cast<volatile unsigned char*>(reinterpret_cast<std::uintptr_t>(&here) - 4096);
        auto* floor = static_cast<volatile unsigned char*>(stack.AllocationBase) + 64 * 1024;
        // Downwards, page after page, as a growing stack is touched.
        for (volatile unsigned char* at = top; at >= floor; --at) *at = 0xA5;
        ExpandSelection(*state->job);
        volatile unsigned char* deepest = floor;
        while (deepest < top && *deepest == 0xA5) ++deepest;
        state->used = static_cast<std::size_t>(top - deepest);
        return 0;
    };
    HANDLE thread = ::CreateThread(nullptr, 1 << 20, body, &run, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (!thread) return 0;
    ::WaitForSingleObject(thread, INFINITE);
    ::CloseHandle(thread);
    return run.used;
}

TEST(FolderWalk, StackUseDoesNotGrowWithDepth)
{
    ScratchFolder scratch;
    std::wstring shallow = L"shallow", deep = L"deep";
    for (int level = 0; level < 5; ++level) shallow += L"\\d";
    for (int level = 0; level < 300; ++level) deep += L"\\d";
    ASSERT_TRUE(MakeFoldersQuickly(scratch / shallow));
    ASSERT_TRUE(MakeFoldersQuickly(scratch / deep));
    scratch.AddFile(shallow + L"\\end.txt");
    scratch.AddFile(deep + L"\\end.txt");

    JobPointer shallowJob = MakeJob(FullPathWithSubfolders, {scratch / L"shallow"});
    JobPointer deepJob = MakeJob(FullPathWithSubfolders, {scratch / L"deep"});
    ASSERT_TRUE(shallowJob && deepJob);
    const std::size_t shallowUse = StackUsedToExpand(*shallowJob);
    const std::size_t deepUse = StackUsedToExpand(*deepJob);
    EXPECT_EQ(shallowJob->results.lines.size(), 7u);
    ASSERT_EQ(deepJob->results.lines.size(), 302u);
    EXPECT_EQ(Lines(*deepJob).back(), scratch / deep + L"\\end.txt");
    ASSERT_GT(shallowUse, 0u);
    // A recursive walk needs a hundred bytes or more per level: 300 levels here.
    EXPECT_LT(deepUse, shallowUse + 24 * 1024) << "shallow " << shallowUse << " deep " << deepUse;
    EXPECT_TRUE(RemoveTreeQuickly(scratch / L"deep"));
}

TEST(FolderWalk, ShortNamesAreTheOnesTheSystemReports)
{
    ScratchFolder scratch;
    const std::wstring folder = scratch.AddFolder(L"LongFolderName");
    const Strings files = {scratch.AddFile(L"LongFolderName\\LongFileName.txt"),
                           scratch.AddFile(L"LongFolderName\\a.txt"),
                           scratch.AddFile(L"LongFolderName\\Sub Folder Two\\Inner File Name.txt")};
    const auto shortForm = [](const std::wstring& path) {
        wchar_t buffer[MAX_PATH] = {};
        ::GetShortPathNameW(path.c_str(), buffer, MAX_PATH);
        return std::wstring(buffer);
    };
    const std::wstring shortBase = shortForm(scratch.path());
    ASSERT_FALSE(shortBase.empty());
    Strings full = {shortForm(folder), shortForm(folder + L"\\Sub Folder Two")};
    for (const std::wstring& file : files) full.push_back(shortForm(file));
    Strings relative;
    for (const std::wstring& path : full) {
        ASSERT_EQ(path.rfind(shortBase + L"\\", 0), 0u) << "no short form for " << path.size();
        relative.push_back(path.substr(shortBase.size() + 1));
    }
    EXPECT_NE(relative[0], L"LongFolderName");
    EXPECT_TRUE(std::count(relative.begin(), relative.end(), relative[0] + L"\\a.txt"));

    EXPECT_EQ(Expand(RelativeWithSubfolders, {folder}, {OutputShortFileName}), InListOrder(relative));
    EXPECT_EQ(Expand(FullPathWithSubfolders, {folder}, {OutputShortFileName}), InListOrder(full));
}

TEST(FolderWalk, FoldersThatCannotBeListedKeepTheirLinesAndAreCounted)
{
    ScratchFolder scratch;
    scratch.AddFile(L"top\\locked\\inside.txt");
    scratch.AddFile(L"top\\open\\inside.txt");
    scratch.AddFile(L"top\\open\\deeper\\inside.txt");
    UniqueFile lock = OpenExclusively(scratch / L"top\\locked");
    UniqueFile deeperLock = OpenExclusively(scratch / L"top\\open\\deeper");
    ASSERT_TRUE(lock && deeperLock);
    WIN32_FIND_DATAW data;
    ASSERT_EQ(::FindFirstFileW((scratch / L"top\\locked\\*").c_str(), &data), INVALID_HANDLE_VALUE);
    DialogWatcher watcher;
    JobPointer job = MakeJob(RelativeWithSubfolders, {scratch / L"top"});
    ASSERT_TRUE(job);
    ExpandSelection(*job);
    EXPECT_EQ(Lines(*job),
              Strings({L"top", L"top\\locked", L"top\\open", L"top\\open\\deeper", L"top\\open\\inside.txt"}));
    EXPECT_EQ(job->results.unlistedFolders, 2u);
    EXPECT_EQ(job->results.firstUnlistedFolder, scratch / L"top\\locked") << "the first in the list's order";
    EXPECT_EQ(watcher.Count(), 0u) << "the copy tells the user once it has delivered the text";

    // The selected folder itself, and nothing left out when nothing fails.
    job = MakeJob(FullPathWithSubfolders, {scratch / L"top\\locked", scratch / L"top\\open\\deeper\\inside.txt"});
    ASSERT_TRUE(job);
    ExpandSelection(*job);
    EXPECT_EQ(job->results.unlistedFolders, 1u);
    EXPECT_EQ(job->results.firstUnlistedFolder, scratch / L"top\\locked");
    lock.reset();
    deeperLock.reset();
    job = MakeJob(FullPathWithSubfolders, {scratch / L"top\\locked"});
    ASSERT_TRUE(job);
    ExpandSelection(*job);
    EXPECT_EQ(job->results.unlistedFolders, 0u);
}

TEST(FolderWalk, CancelledBeforehandAddsNothing)
{
    ScratchFolder scratch;
    const ProjTree tree = MakeProjTree(scratch);
    JobPointer job = MakeJob(RelativeWithSubfolders, {tree.proj, scratch.AddFile(L"zz.txt")});
    ASSERT_TRUE(job);
    job->report.Stop();
    ExpandSelection(*job);
    EXPECT_TRUE(job->results.lines.empty());
}

TEST(FolderWalk, CancelAfterTheFirstFolderStopsTheWalkAndTheSelection)
{
    ScratchFolder scratch;
    for (int folder = 0; folder < 60; ++folder)
        for (int file = 0; file < 60; ++file)
            scratch.AddFile(L"big\\f" + std::to_wstring(folder) + L"\\" + std::to_wstring(file) + L".txt");
    const std::wstring after = scratch.AddFile(L"zz.txt");
    JobPointer job = MakeJob(RelativeWithSubfolders, {scratch / L"big", after});
    ASSERT_TRUE(job);
    // Cancelled once big itself has been listed, as the Cancel button would.
    ExpandSelection(*job, StepHook{[](ProgressReport& report, void*) { report.Stop(); }});
    const Strings lines = Lines(*job);
    // Far from the 3,662 of the whole walk: big and its sixty folders; zz.txt is not reached.
    EXPECT_EQ(lines.size(), 61u);
    EXPECT_EQ(lines.front(), L"big");
    EXPECT_TRUE(OpenExclusively(scratch / L"big"));
}

TEST(FolderWalk, ProgressGivesEachSelectedItemAnEqualShare)
{
    ScratchFolder scratch;
    const ProjTree tree = MakeProjTree(scratch);
    const Strings selection = {tree.proj, tree.proj + L"\\src", scratch.AddFile(L"z.txt")};

    JobPointer job = MakeJob(FullPathWithSubfolders, selection);
    ASSERT_TRUE(job);
    ExpandSelection(*job);
    EXPECT_EQ(job->report.Position(), kWalkProgressScale);
    EXPECT_EQ(std::wstring(job->report.StatusText().c_str()), L"検索しています(3/3) " + selection[2]);

    job = MakeJob(NameOnly, selection);
    ASSERT_TRUE(job);
    ExpandSelection(*job);
    EXPECT_EQ(job->report.Position(), 3u);
    EXPECT_EQ(std::wstring(job->report.StatusText().c_str()), L"検索しています");
    EXPECT_EQ(std::wstring(job->report.DetailText().c_str()), L"z.txt");
}

TEST(FolderWalk, BarMovesThroughAFoldersShareAsItsSubfoldersAreDone)
{
    ScratchFolder scratch;
    for (int folder = 0; folder < 40; ++folder)
        for (int file = 0; file < 40; ++file)
            scratch.AddFile(L"big\\f" + std::to_wstring(folder) + L"\\" + std::to_wstring(file) + L".txt");
    JobPointer job = MakeJob(RelativeWithSubfolders, {scratch / L"big", scratch.AddFile(L"zz.txt")});
    ASSERT_TRUE(job);
    // The position as the window would read it after each folder listed.
    std::vector<std::uint64_t> seen;
    ExpandSelection(*job, StepHook{[](ProgressReport& report, void* seen) {
                                       static_cast<std::vector<std::uint64_t>*>(seen)->push_back(report.Position());
                                   },
                                   &seen});
    // big has the first half of the bar and moves through it; zz.txt ends it.
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_GT(std::count_if(seen.begin(), seen.end(),
                            [](std::uint64_t position) { return position > 0 && position < kWalkProgressScale / 2; }),
              3);
    EXPECT_EQ(job->report.Position(), kWalkProgressScale);
}

TEST(FolderWalk, RangeIsTheOnlyCallThatReachesTheWindow)
{
    ScratchFolder scratch;
    const ProjTree tree = MakeProjTree(scratch);
    JobPointer job = MakeJob(RelativeWithSubfolders, {tree.proj, scratch.AddFile(L"a.txt"), scratch.AddFile(L"b.txt")});
    ASSERT_TRUE(job);
    ExpandSelection(*job);
    EXPECT_EQ(job->report.Calls(), Strings({L"range " + std::to_wstring(kWalkProgressScale)}));
}

TEST(FolderWalk, RunningOutOfMemoryClosesEveryListing)
{
    ScratchFolder scratch;
    const ProjTree tree = MakeProjTree(scratch);
    scratch.AddFile(L"Proj\\src\\lib\\deeper\\x.c");
    const Strings folders = {tree.proj, tree.proj + L"\\src", tree.proj + L"\\src\\lib",
                             tree.proj + L"\\src\\lib\\deeper"};
    {
        // The check below sees an open listing.
        WIN32_FIND_DATAW data;
        UniqueFind listing(::FindFirstFileW((folders.back() + L"\\*").c_str(), &data));
        ASSERT_TRUE(listing);
        EXPECT_FALSE(OpenExclusively(folders.back()));
    }
    int failures = 0;
    for (long after = 0; after < 5000; ++after) {
        JobPointer job = MakeJob(FullPathWithSubfolders, {tree.proj}, {OutputCRC32});
        ASSERT_TRUE(job);
        bool thrown = false;
        {
            FailingAllocation failing(after);
            try {
                ExpandSelection(*job);
            } catch (const std::bad_alloc&) {
                thrown = true;
            }
            // A sort that finds no memory for its buffer sorts in place instead.
            ASSERT_TRUE(!thrown || failing.Fired());
        }
        for (const std::wstring& folder : folders) ASSERT_TRUE(OpenExclusively(folder)) << after;
        const Strings lines = Lines(*job);
        ASSERT_EQ(lines, InListOrder(lines));
        if (!thrown) {
            EXPECT_EQ(lines.size(), 8u);
            break;
        }
        ASSERT_LT(lines.size(), 8u);
        ++failures;
    }
    EXPECT_GT(failures, 20);
}

} // namespace
} // namespace lumbrix::test
