// The lines that each copy mode and option makes of real files, through
// ExpandSelection into resultLines: the sample Proj tree, drive roots,
// separators, the size column, totals and the unexpected-mode box.

#include "job/path_forms.h"

#include "common/unique_any.h"
#include "job/hashing_pass.h"
#include "job_fixture.h"
#include "support/dialog_watcher.h"
#include "support/proj_tree.h"
#include "support/scratch_folder.h"
#include "support/unix_links.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace lumbrix::test {
namespace {

using Strings = std::vector<std::wstring>;

std::wstring Slashed(std::wstring path)
{
    std::replace(path.begin(), path.end(), L'\\', L'/');
    return path;
}

class ProjTable : public ::testing::Test {
protected:
    ScratchFolder scratch_;
    ProjTree tree_ = MakeProjTree(scratch_);
};

TEST_F(ProjTable, EveryModeGivesTheLinesOfTheTable)
{
    const std::wstring& d = tree_.data;
    EXPECT_EQ(Expand(FullPath, {tree_.proj}), Strings({d + L"\\Proj"}));
    EXPECT_EQ(Expand(FullPathWithSubfolders, {tree_.proj}),
              Strings({d + L"\\Proj", d + L"\\Proj\\a b.txt", d + L"\\Proj\\empty.dat", d + L"\\Proj\\src",
                       d + L"\\Proj\\src\\main.c"}));
    EXPECT_EQ(Expand(RelativeWithSubfolders, {tree_.proj}),
              Strings({L"Proj", L"Proj\\a b.txt", L"Proj\\empty.dat", L"Proj\\src", L"Proj\\src\\main.c"}));
    EXPECT_EQ(Expand(RelativeOneLevelDown, {tree_.proj}),
              Strings({L"a b.txt", L"empty.dat", L"src", L"src\\main.c"}));
    EXPECT_EQ(Expand(NameOnly, {tree_.proj}), Strings({L"Proj"}));
    // A backslash at the end names the same folder, not a root of its own.
    EXPECT_EQ(Expand(RelativeWithSubfolders, {tree_.proj + L"\\"}), Expand(RelativeWithSubfolders, {tree_.proj}));
    EXPECT_EQ(Expand(NameOnly, {tree_.proj + L"\\"}), Strings({L"Proj"}));
}

TEST_F(ProjTable, SeparatorAndSizeOptionsChangeTheColumns)
{
    EXPECT_EQ(Expand(RelativeWithSubfolders, {tree_.proj}, {EscapePathSeparator}),
              Strings({L"Proj", L"Proj\\\\a b.txt", L"Proj\\\\empty.dat", L"Proj\\\\src", L"Proj\\\\src\\\\main.c"}));
    EXPECT_EQ(Expand(RelativeWithSubfolders, {tree_.proj}, {OutputURL}),
              Strings({L"Proj", L"Proj/a%20b.txt", L"Proj/empty.dat", L"Proj/src", L"Proj/src/main.c"}));
    EXPECT_EQ(Expand(RelativeWithSubfolders, {tree_.proj}, {OutputSize}),
              Strings({L"Proj", L"Proj\\a b.txt\t1,234 bytes", L"Proj\\empty.dat\t0 bytes", L"Proj\\src",
                       L"Proj\\src\\main.c\t56,789 bytes"}));
    // Doubling wins over the URL form.
    EXPECT_EQ(Expand(RelativeWithSubfolders, {tree_.proj}, {EscapePathSeparator, OutputURL})[1],
              L"Proj\\\\a b.txt");
    // Only the path column is encoded; the size column follows as it is.
    EXPECT_EQ(Expand(RelativeWithSubfolders, {tree_.proj}, {OutputURL, OutputSize})[1],
              L"Proj/a%20b.txt\t1,234 bytes");
}

TEST_F(ProjTable, FullPathUrlHasTheDrivePrefix)
{
    const Strings lines = Expand(FullPathWithSubfolders, {tree_.proj}, {OutputURL});
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[1], L"file://" + Slashed(tree_.data) + L"/Proj/a%20b.txt");
    EXPECT_EQ(lines[1].substr(0, 10), L"file://C:/");
}

TEST_F(ProjTable, PathStylesFormThePathColumnOnly)
{
    const std::wstring d = Slashed(tree_.data);
    const std::wstring wsl = L"/mnt/" + std::wstring(1, static_cast<wchar_t>(d[0] - L'A' + L'a')) + d.substr(2);
    EXPECT_EQ(ExpandStyled(FullPathWithSubfolders, {tree_.proj}, PathStyle::Slashes, QuoteStyle::None, {OutputSize}),
              Strings({d + L"/Proj", d + L"/Proj/a b.txt\t1,234 bytes", d + L"/Proj/empty.dat\t0 bytes", d + L"/Proj/src",
                       d + L"/Proj/src/main.c\t56,789 bytes"}));
    EXPECT_EQ(ExpandStyled(FullPath, {tree_.proj + L"\\a b.txt"}, PathStyle::Wsl, QuoteStyle::WhereNeeded, {OutputSize}),
              Strings({L"\"" + wsl + L"/Proj/a b.txt\"\t1,234 bytes"}));
    EXPECT_EQ(ExpandStyled(RelativeOneLevelDown, {tree_.proj}, PathStyle::Msys, QuoteStyle::Always),
              InListOrder({L"\"a b.txt\"", L"\"empty.dat\"", L"\"src\"", L"\"src/main.c\""}));
    // A local drive has no network name; relative paths are never looked up.
    EXPECT_EQ(ExpandStyled(FullPathWithSubfolders, {tree_.proj}, PathStyle::NetworkUnc),
              Expand(FullPathWithSubfolders, {tree_.proj}));
    EXPECT_EQ(ExpandStyled(RelativeWithSubfolders, {tree_.proj}, PathStyle::NetworkUnc, QuoteStyle::None, {OutputURL}),
              Expand(RelativeWithSubfolders, {tree_.proj}, {OutputURL}));

    // The digests still read the files where Windows has them.
    JobPointer job = MakeJob(FullPath, {tree_.proj + L"\\src\\main.c"}, {OutputMD5});
    ASSERT_TRUE(job);
    job->request.options.pathStyle = PathStyle::Wsl;
    ExpandSelection(*job);
    ASSERT_EQ(job->results.lines.size(), 1u);
    EXPECT_EQ(job->results.lines.begin()->text, wsl + L"/Proj/src/main.c");
    EXPECT_EQ(job->results.lines.begin()->sourcePath, tree_.proj + L"\\src\\main.c");
}

TEST_F(ProjTable, NamesWithoutExtensionKeepFoldersAndLeadingDotsWhole)
{
    const std::wstring dotted = scratch_.AddFile(L".gitignore", "x");
    const std::wstring archive = scratch_.AddFile(L"site.tar.gz", "xy");
    const std::vector<std::wstring> selection = {tree_.proj, tree_.proj + L"\\a b.txt", dotted, archive};
    EXPECT_EQ(Expand(NameWithoutExtension, selection), InListOrder({L".gitignore", L"a b", L"Proj", L"site.tar"}));
    EXPECT_EQ(ExpandStyled(NameWithoutExtension, selection, PathStyle::Wsl, QuoteStyle::WhereNeeded, {OutputSize}),
              InListOrder({L".gitignore\t1 bytes", L"\"a b\"\t1,234 bytes", L"Proj", L"site.tar\t2 bytes"}));
    EXPECT_EQ(Expand(NameWithoutExtension, {tree_.proj}, {}, /*listFolders=*/false), Strings());
}

TEST_F(ProjTable, SelectedItemsGetSizesFromTheirFiles)
{
    EXPECT_EQ(Expand(FullPath, {tree_.proj + L"\\a b.txt", tree_.proj + L"\\src"}, {OutputSize}),
              Strings({tree_.proj + L"\\a b.txt\t1,234 bytes", tree_.proj + L"\\src"}));
    EXPECT_EQ(Expand(NameOnly, {tree_.proj + L"\\src\\main.c"}, {OutputSize}), Strings({L"main.c\t56,789 bytes"}));
    // An item that cannot be asked counts as a file of the size found: none.
    EXPECT_EQ(Expand(FullPath, {tree_.proj + L"\\gone.txt"}, {OutputSize}),
              Strings({tree_.proj + L"\\gone.txt\t0 bytes"}));
}

TEST_F(ProjTable, FileBesideTheFolderDependsOnTheMode)
{
    const std::wstring file = scratch_.AddFile(L"x.txt", "xyz");
    EXPECT_EQ(Expand(RelativeOneLevelDown, {file}), Strings());
    EXPECT_EQ(Expand(RelativeOneLevelDown, {tree_.proj, file}),
              Strings({L"a b.txt", L"empty.dat", L"src", L"src\\main.c"}));
    EXPECT_EQ(Expand(RelativeWithSubfolders, {file}), Strings({L"x.txt"}));
    EXPECT_EQ(Expand(NameOnly, {file, tree_.proj}), Strings({L"Proj", L"x.txt"}));
}

TEST_F(ProjTable, TotalsCountEveryLineAddedDuplicatesIncluded)
{
    // The file is selected and also found in the walk: one line, counted twice.
    JobPointer job = MakeJob(FullPathWithSubfolders, {tree_.proj, tree_.proj + L"\\a b.txt"}, {OutputCRC32});
    ASSERT_TRUE(job);
    ExpandSelection(*job);
    const Strings lines = Lines(*job);
    ASSERT_EQ(lines.size(), 5u);
    std::uint64_t chars = 0;
    for (const std::wstring& line : lines) chars += line.size() + 2;
    chars += lines[1].size() + 2;
    EXPECT_EQ(job->results.totalChars, chars);
    EXPECT_EQ(job->results.totalBytes, 1234 + 1234 + 56789);
    // With a digest wanted every file's line keeps the path to read, and what the walk found it to be.
    for (const ResultLine& line : job->results.lines) {
        EXPECT_EQ(line.folder, line.text == tree_.proj || line.text == tree_.proj + L"\\src") << line.Text();
        EXPECT_EQ(line.sourcePath, line.folder ? L"" : line.text);
    }
}

TEST_F(ProjTable, SizeColumnNamesEachFileButCountsNoBytes)
{
    JobPointer job = MakeJob(RelativeWithSubfolders, {tree_.proj}, {OutputSize});
    ASSERT_TRUE(job);
    ExpandSelection(*job);
    EXPECT_EQ(job->results.totalBytes, 0);
    std::uint64_t chars = 0;
    for (const ResultLine& line : job->results.lines) {
        EXPECT_EQ(line.sourcePath.empty(), line.folder) << "the file a size describes: " << line.Text();
        chars += line.Length() + 2;
    }
    EXPECT_EQ(job->results.totalChars, chars);
}

TEST_F(ProjTable, RelativeDigestSourceIsTheFullPath)
{
    JobPointer job = MakeJob(RelativeOneLevelDown, {tree_.proj}, {OutputSHA1});
    ASSERT_TRUE(job);
    ExpandSelection(*job);
    auto line = job->results.lines.begin();
    ASSERT_NE(line, job->results.lines.end());
    EXPECT_EQ(line->text, L"a b.txt");
    EXPECT_EQ(line->sourcePath, tree_.proj + L"\\a b.txt");
}

TEST(PathForms, LinesAreOneOnlyWhenTheyAreTheSame)
{
    ScratchFolder scratch;
    const std::wstring plain = scratch.AddFileOfSize(L"one\\ab.txt", 10);
    const std::wstring hyphen = scratch.AddFileOfSize(L"one\\a\u00ADb.txt", 11);
    const std::wstring other = scratch.AddFileOfSize(L"two\\AB.TXT", 20);
    // lstrcmpiW ignores the soft hyphen; the two names stay two, selected or walked.
    ASSERT_EQ(::lstrcmpiW(L"ab.txt", L"a\u00ADb.txt"), 0) << "the case this test is about";
    EXPECT_EQ(Expand(NameOnly, {plain, hyphen}).size(), 2u);
    EXPECT_EQ(Expand(RelativeOneLevelDown, {scratch / L"one"}).size(), 2u);

    // The same name from two folders (a search result): one line of names...
    JobPointer job = MakeJob(NameOnly, {plain, other});
    ASSERT_TRUE(job);
    ExpandSelection(*job);
    EXPECT_EQ(Lines(*job), Strings({L"ab.txt"})) << "the first added";
    EXPECT_EQ(job->results.totalChars, 2u * (6 + 2));
    // ...and a line per file, each with its own digest, once a column describes the file.
    job = MakeJob(NameOnly, {plain, other}, {OutputMD5});
    ASSERT_TRUE(job);
    ExpandSelection(*job);
    ASSERT_TRUE(ComputeHashes(job->results, job->request.options, job->report));
    const Strings lines = Lines(*job);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].substr(0, 11), L"ab.txt\tMD5:");
    EXPECT_EQ(lines[1].substr(0, 11), L"AB.TXT\tMD5:");
    EXPECT_NE(lines[0].substr(11), lines[1].substr(11));
    EXPECT_EQ(Expand(NameOnly, {plain, other}, {OutputSize}),
              Strings({L"ab.txt\t10 bytes", L"AB.TXT\t20 bytes"}));
}

TEST(PathForms, ATabInANameNeverSplitsTheLine)
{
    // Wine cannot make such a name, but lists the one that Linux makes as it is.
    ScratchFolder scratch;
    const std::wstring folder = scratch.AddFolder(L"names");
    const std::string unixFolder = UnixPath(folder);
    ASSERT_TRUE(StartProgram(L"Z:\\bin\\touch \"" + std::wstring(unixFolder.begin(), unixFolder.end()) +
                             L"/a\tb.txt\""));
    WIN32_FIND_DATAW found{};
    for (int attempt = 0; attempt < 500; ++attempt) {
        const UniqueFind find(::FindFirstFileW((folder + L"\\a*b.txt").c_str(), &found));
        if (find) break;
        ::Sleep(10);
    }
    ASSERT_STREQ(found.cFileName, L"a\tb.txt");
    EXPECT_EQ(Expand(RelativeWithSubfolders, {folder}, {OutputSize}),
              Strings({L"names", L"names\\a\u2409b.txt\t0 bytes"}));
}

TEST(PathForms, DriveRootIsItsOwnLineOrNone)
{
    ScratchFolder scratch;
    scratch.AddFileOfSize(L"src\\main.c", 56789);
    MappedDrive drive(scratch.path());
    ASSERT_TRUE(drive.ok()) << "no drive letter could be mapped";
    const std::wstring& root = drive.root();
    EXPECT_EQ(Expand(FullPath, {root}), Strings({root}));
    EXPECT_EQ(Expand(NameOnly, {root}), Strings({root}));
    EXPECT_EQ(Expand(FullPath, {root}, {OutputURL}), Strings({L"file://" + root.substr(0, 2) + L"/"}));
    EXPECT_EQ(Expand(FullPath, {root}, {OutputSize}), Strings({root}));
    EXPECT_EQ(Expand(FullPathWithSubfolders, {root}), Strings({root, root + L"src", root + L"src\\main.c"}));
    const Strings relative = Expand(RelativeWithSubfolders, {root});
    EXPECT_EQ(relative, Strings({L"src", L"src\\main.c"}));
    EXPECT_EQ(Expand(RelativeOneLevelDown, {root}), relative);
}

TEST(PathForms, LinesLongerThanAStatusLineAreStoredWhole)
{
    ScratchFolder scratch;
    std::wstring deep;
    for (wchar_t letter = L'a'; letter < L'a' + 5; ++letter) deep += std::wstring(240, letter) + L"\\";
    const std::wstring file = scratch.AddFileOfSize(deep + L"end.txt", 3);
    ASSERT_GT(file.size(), 1200u);

    const Strings lines = Expand(FullPathWithSubfolders, {scratch.path() + L"\\" + deep.substr(0, 240)});
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines.back(), file);

    // The selected path in the status is cut where wsprintfW stops: 1024 units.
    JobPointer job = MakeJob(FullPathWithSubfolders, {file});
    ASSERT_TRUE(job);
    ExpandSelection(*job);
    EXPECT_EQ(Lines(*job), Strings({file}));
    const std::wstring status = job->report.StatusText().c_str();
    EXPECT_EQ(status.size(), 1023u);
    EXPECT_EQ(status, (L"検索しています(1/1) " + file).substr(0, 1023));
    EXPECT_EQ(std::wstring(job->report.DetailText().c_str()), file);
}

TEST(PathForms, SizeColumnTakesTheFolderFlagAndSizeAsGiven)
{
    // What the walk found is not asked again: these paths do not exist.
    JobPointer job = MakeJob(FullPath, {}, {OutputSize});
    ASSERT_TRUE(job);
    AddEntry(*job, L"C:\\nowhere\\a folder", L"", 0, true);
    AddEntry(*job, L"C:\\nowhere\\b file", L"", 1234567, false);
    EXPECT_EQ(Lines(*job), Strings({L"C:\\nowhere\\a folder", L"C:\\nowhere\\b file\t1,234,567 bytes"}));
}

TEST(PathForms, DetailTextShowsTheColumnAsFarAsItFits)
{
    JobPointer job = MakeJob(RelativeWithSubfolders, {}, {OutputURL});
    ASSERT_TRUE(job);
    // Every space becomes three units: 36000 in all, more than the buffer.
    const std::wstring rel = L"x" + std::wstring(12000, L' ');
    AddEntry(*job, L"C:\\Data", rel, 0, false);
    ASSERT_EQ(job->results.lines.size(), 1u);
    const std::wstring line = job->results.lines.begin()->Text();
    EXPECT_EQ(line.size(), 1u + 3u * 12000u);
    const std::wstring detail = job->report.DetailText().c_str();
    EXPECT_EQ(detail.size(), ProgressText::kCapacity - 1);
    EXPECT_EQ(detail, line.substr(0, detail.size()));
}

TEST(PathForms, NonAsciiNamesPassUnchanged)
{
    ScratchFolder scratch;
    const std::wstring folder = scratch.AddFolder(L"資料");
    scratch.AddFile(L"資料\\\U0001F600 メモ.txt", "1");
    scratch.AddFile(L"資料\\\U00020000.txt", "22");
    EXPECT_EQ(Expand(RelativeWithSubfolders, {folder}, {OutputSize}),
              InListOrder({L"資料", L"資料\\\U00020000.txt\t2 bytes", L"資料\\\U0001F600 メモ.txt\t1 bytes"}));
    EXPECT_EQ(Expand(RelativeOneLevelDown, {folder}, {OutputURL}),
              InListOrder({L"\U00020000.txt", L"\U0001F600%20メモ.txt"}));
}

TEST(PathForms, UnexpectedModeShowsABoxPerItemAndAddsNothing)
{
    ScratchFolder scratch;
    const std::wstring a = scratch.AddFile(L"a.txt");
    const std::wstring b = scratch.AddFile(L"b.txt");
    DialogWatcher watcher;
    for (std::int32_t mode : {0, 7}) {
        JobPointer job = MakeJob(mode, {a, b});
        ASSERT_TRUE(job);
        ExpandSelection(*job);
        EXPECT_TRUE(job->results.lines.empty());
        EXPECT_EQ(job->results.totalChars, 0u);
    }
    ASSERT_TRUE(watcher.WaitForCount(4));
    for (const SeenDialog& box : watcher.Seen()) {
        EXPECT_EQ(box.caption, L"Lumbrix64");
        EXPECT_EQ(box.text, L"予期しないエラーです。");
    }
}

TEST(PathForms, ResolvePathGivesLongOrShortForms)
{
    ScratchFolder scratch;
    const std::wstring file = scratch.AddFile(L"LongFolderName\\LongFileName.txt");
    wchar_t shortForm[MAX_PATH];
    ASSERT_NE(::GetShortPathNameW(file.c_str(), shortForm, MAX_PATH), 0u);
    ASSERT_NE(std::wstring(shortForm), file);
    EXPECT_EQ(ResolvePath(shortForm, false), file);
    EXPECT_EQ(ResolvePath(file, true), shortForm);
    // Relative parts are resolved; an item that is gone keeps its full form.
    EXPECT_EQ(ResolvePath(scratch.path() + L"\\LongFolderName\\..\\LongFolderName\\LongFileName.txt", false), file);
    EXPECT_EQ(ResolvePath(scratch.path() + L"\\gone\\.\\x.txt", true), scratch.path() + L"\\gone\\x.txt");
}

TEST(PathForms, NamesEndingInADotOrASpaceKeepThemAndTheirOwnFiles)
{
    ScratchFolder scratch;
    scratch.AddFile(L"notes", "1");
    // Only the extended form creates such names.
    const std::wstring dotted = scratch / L"notes.";
    const std::wstring spaced = scratch / L"space ";
    for (const std::wstring& name : {dotted, spaced}) {
        const HANDLE file = ::CreateFileW((L"\\\\?\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        ::WriteFile(file, "22", 2, &written, nullptr);
        ::CloseHandle(file);
    }
    EXPECT_EQ(ResolvePath(dotted, false), dotted);
    EXPECT_EQ(Expand(FullPath, {dotted, spaced}, {OutputSize}),
              InListOrder({dotted + L"\t2 bytes", spaced + L"\t2 bytes"}));
    EXPECT_EQ(Expand(NameOnly, {dotted}), Strings({L"notes."}));
}

TEST(PathForms, ResolvePathBeyondMaxPath)
{
    ScratchFolder scratch;
    std::wstring rel;
    for (int level = 0; level < 4; ++level)
        rel += L"Long Folder Name " + std::to_wstring(level) + std::wstring(60, L'x') + L"\\";
    const std::wstring file = scratch.AddFile(rel + L"Long File Name.txt");
    ASSERT_GT(file.size(), std::size_t{MAX_PATH});
    std::vector<wchar_t> buffer(32768);
    ASSERT_NE(::GetShortPathNameW((L"\\\\?\\" + file).c_str(), buffer.data(), 32768), 0u);
    const std::wstring shortForm = std::wstring(buffer.data()).substr(4);
    ASSERT_NE(shortForm, file);
    EXPECT_EQ(ResolvePath(file, true), shortForm);
    EXPECT_EQ(ResolvePath(file, false), file);
    EXPECT_EQ(Expand(NameOnly, {file}, {OutputShortFileName}), Strings({shortForm.substr(shortForm.rfind(L'\\') + 1)}));
}

TEST(QueryFileSize, GivesTheSizeOfFilesOnly)
{
    ScratchFolder scratch;
    const std::wstring file = scratch.AddFileOfSize(L"f.bin", 70000);
    EXPECT_EQ(QueryFileSize(file), 70000u);
    EXPECT_EQ(QueryFileSize(scratch.path()), 0u);
    EXPECT_EQ(QueryFileSize(scratch.path() + L"\\missing.bin"), 0u);
    // A writer that shares nothing does not hide the size.
    HANDLE writer = ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    EXPECT_EQ(QueryFileSize(file), 70000u);
    EXPECT_EQ(Expand(NameOnly, {file}, {OutputSize}), Strings({L"f.bin\t70,000 bytes"}));
    ::CloseHandle(writer);
}

} // namespace
} // namespace lumbrix::test

// The network names of mapped drives. Wine maps no network drive, so the
// redirector's answers come from a stand-in; the lookup threads, the waits,
// substituted drives and a local drive's real lookup are Wine's own.

#include "job/network_drive_names.h"
#include "shellext/module_thread.h"

#include <atomic>
#include <new>
#include <thread>

namespace lumbrix::test {
namespace {

const std::wstring kLongRemote = L"\\\\fs04\\" + std::wstring(400, L'x');
std::atomic<int> redirectorCalls{0};
UniqueHandle hungLookupsEnd;
UniqueHandle hungLookupEntered;
std::atomic<wchar_t> walkedDrive{0};
UniqueHandle walkedDriveAnswers; // when set, the walked drive's lookup waits for it

// Y: maps a share's subfolder, U: a name longer than a first buffer, V: is
// remembered but disconnected, G: and H: answer only when the test lets them;
// walkedDrive, a real drive of the test's, maps \\fs05\walked.
DWORD WINAPI StandInRedirector(LPCWSTR local, LPWSTR remote, LPDWORD length)
{
    ++redirectorCalls;
    std::wstring name;
    DWORD status = NO_ERROR;
    switch (local[0] == walkedDrive ? L'\0' : local[0]) {
    case L'\0':
        if (walkedDriveAnswers) ::WaitForSingleObject(walkedDriveAnswers.get(), INFINITE);
        name = L"\\\\fs05\\walked";
        break;
    case L'Y': name = L"\\\\fs01\\share\\sub"; break;
    case L'U': name = kLongRemote; break;
    case L'V': name = L"\\\\fs03\\old"; status = ERROR_CONNECTION_UNAVAIL; break;
    case L'G': case L'H':
        ::SetEvent(hungLookupEntered.get());
        ::WaitForSingleObject(hungLookupsEnd.get(), INFINITE);
        name = L"\\\\late\\share";
        break;
    default: return ERROR_NOT_CONNECTED;
    }
    if (*length <= name.size()) {
        *length = static_cast<DWORD>(name.size() + 1);
        return ERROR_MORE_DATA;
    }
    std::copy(name.c_str(), name.c_str() + name.size() + 1, remote);
    return status;
}

class NetworkNames : public ::testing::Test {
protected:
    void SetUp() override
    {
        redirectorCalls = 0;
        hungLookupsEnd.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        hungLookupEntered.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        remoteNameQueryForTesting = &StandInRedirector;
    }
    void TearDown() override
    {
        remoteNameQueryForTesting = nullptr;
        ::SetEvent(hungLookupsEnd.get());
    }

    // The column of a full path as the network style makes it.
    static std::wstring Unc(std::wstring column, DriveRemoteNames& names)
    {
        FormPathColumn(column, ColumnKind::FullPath, false, ColumnForm{PathStyle::NetworkUnc}, &names);
        return column;
    }
};

TEST_F(NetworkNames, EachDriveIsAskedOncePerCopy)
{
    NetworkDriveNames names(&StartThreadHoldingModule);
    std::wstring column;
    for (int line = 0; line < 1000; ++line) column = Unc(L"Y:\\d\\f" + std::to_wstring(line) + L".txt", names);
    EXPECT_EQ(column, L"\\\\fs01\\share\\sub\\d\\f999.txt");
    EXPECT_EQ(redirectorCalls, 1);
    EXPECT_EQ(Unc(L"V:\\x", names), L"V:\\x");
    EXPECT_EQ(Unc(L"U:\\x", names), kLongRemote + L"\\x"); // asked twice: the first buffer is too small
    EXPECT_EQ(Unc(L"C:\\x", names), L"C:\\x");
    EXPECT_EQ(Unc(L"V:\\y", names), L"V:\\y");
    EXPECT_EQ(Unc(L"U:\\", names), kLongRemote);
    EXPECT_EQ(redirectorCalls, 5);
    // The next copy asks again.
    NetworkDriveNames nextCopy(&StartThreadHoldingModule);
    nextCopy.Prefetch(L"\\\\?\\Y:\\d");
    EXPECT_EQ(Unc(L"Y:\\", nextCopy), L"\\\\fs01\\share\\sub");
    EXPECT_EQ(redirectorCalls, 6);
}

// Lookups started through the plain starter, counted as their threads end.
std::atomic<int> finishedLookups{0};

struct CountedWork {
    DetachedWork work;
    void* context;
};

void RunCounted(void* parameter) noexcept
{
    const CountedWork counted = *static_cast<CountedWork*>(parameter);
    delete static_cast<CountedWork*>(parameter);
    counted.work(counted.context);
    ++finishedLookups;
}

bool StartCountedThread(DetachedWork work, void* context) noexcept
{
    auto* counted = new (std::nothrow) CountedWork{work, context};
    if (counted && StartDetachedThread(&RunCounted, counted)) return true;
    delete counted;
    return false;
}

TEST_F(NetworkNames, LookupsThatHangCountAsLocalAndEndOnTheirOwn)
{
    finishedLookups = 0;
    {
        // 200 ms a drive, 300 ms for the copy: H takes 200, G the 100 left.
        NetworkDriveNames names(&StartCountedThread, nullptr, 200, 300);
        EXPECT_EQ(Unc(L"H:\\x", names), L"H:\\x");
        EXPECT_EQ(Unc(L"H:\\y", names), L"H:\\y");
        EXPECT_EQ(Unc(L"G:\\x", names), L"G:\\x");
        // The network had its time: Y: is not asked at all.
        EXPECT_EQ(Unc(L"Y:\\x", names), L"Y:\\x");
        EXPECT_EQ(redirectorCalls, 2);
    }
    // The copy is gone; the lookups now answer into memory of their own.
    ::SetEvent(hungLookupsEnd.get());
    for (int wait = 0; wait < 1000 && finishedLookups < 2; ++wait) ::Sleep(10);
    EXPECT_EQ(finishedLookups, 2);
}

TEST_F(NetworkNames, ACancelEndsTheWaitForAHungLookup)
{
    finishedLookups = 0;
    std::atomic<bool> running{true};
    LARGE_INTEGER frequency, cancelledAt{}, returnedAt;
    ::QueryPerformanceFrequency(&frequency);
    std::thread cancel([&] {
        ::WaitForSingleObject(hungLookupEntered.get(), INFINITE);
        ::QueryPerformanceCounter(&cancelledAt);
        running = false;
        // Should the wait not watch the flag, the lookup answers after all and
        // the column shows it.
        if (::WaitForSingleObject(hungLookupsEnd.get(), 60000) == WAIT_TIMEOUT) ::SetEvent(hungLookupsEnd.get());
    });
    {
        NetworkDriveNames names(&StartCountedThread, &running, 600000, 600000);
        EXPECT_EQ(Unc(L"G:\\x", names), L"G:\\x");
        ::QueryPerformanceCounter(&returnedAt);
        EXPECT_EQ(Unc(L"Y:\\x", names), L"Y:\\x") << "nothing is asked after a cancel";
    }
    ::SetEvent(hungLookupsEnd.get());
    cancel.join();
    RecordProperty("cancel_to_return_us",
                   static_cast<int>((returnedAt.QuadPart - cancelledAt.QuadPart) * 1000000 / frequency.QuadPart));
    EXPECT_EQ(redirectorCalls, 1);
    for (int wait = 0; wait < 1000 && finishedLookups < 1; ++wait) ::Sleep(10);
    EXPECT_EQ(finishedLookups, 1);
}

TEST_F(NetworkNames, AWalkAsksOncePerCopyAndOnlyForFullPaths)
{
    ScratchFolder scratch;
    const ProjTree tree = MakeProjTree(scratch);
    MappedDrive drive(tree.data);
    ASSERT_TRUE(drive.ok());
    walkedDrive = drive.root()[0];
    const std::wstring share = L"\\\\fs05\\walked";
    // The walk goes on while the name is asked for: the lookup answers only
    // once the first folder has been listed, and every line has the share.
    walkedDriveAnswers.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    JobPointer walked = MakeJob(FullPathWithSubfolders, {drive.root() + L"Proj"});
    ASSERT_TRUE(walked);
    walked->request.options.pathStyle = PathStyle::NetworkUnc;
    ExpandSelection(*walked, StepHook{[](ProgressReport&, void*) { ::SetEvent(walkedDriveAnswers.get()); }});
    EXPECT_EQ(Lines(*walked), Strings({share + L"\\Proj", share + L"\\Proj\\a b.txt", share + L"\\Proj\\empty.dat",
                                       share + L"\\Proj\\src", share + L"\\Proj\\src\\main.c"}));
    EXPECT_TRUE(walked->results.deferredEntries.empty());
    EXPECT_EQ(redirectorCalls, 1);
    walkedDriveAnswers.reset();
    EXPECT_EQ(ExpandStyled(FullPath, {drive.root()}, PathStyle::NetworkUnc, QuoteStyle::None, {OutputURL}),
              Strings({L"file:///" + Slashed(share)}));
    EXPECT_EQ(redirectorCalls, 2) << "once for each copy";
    ExpandStyled(RelativeWithSubfolders, {drive.root() + L"Proj"}, PathStyle::NetworkUnc);
    ExpandStyled(NameOnly, {drive.root() + L"Proj"}, PathStyle::NetworkUnc);
    EXPECT_EQ(redirectorCalls, 2) << "no full paths, no lookup";
    // A copy cancelled before it begins asks the network nothing.
    JobPointer job = MakeJob(FullPath, {drive.root() + L"Proj"});
    ASSERT_TRUE(job);
    job->request.options.pathStyle = PathStyle::NetworkUnc;
    job->report.Stop();
    ExpandSelection(*job);
    EXPECT_TRUE(Lines(*job).empty());
    EXPECT_EQ(redirectorCalls, 2);
    walkedDrive = 0;
}

TEST_F(NetworkNames, SubstitutedDrivesNameWhatTheyStandFor)
{
    // Free letters from the top of the alphabet's middle down.
    std::wstring letters;
    const DWORD used = ::GetLogicalDrives();
    for (wchar_t letter = L'T'; letter > L'I' && letters.size() < 3; --letter)
        if (!(used & (1u << (letter - L'A')))) letters += letter;
    ASSERT_EQ(letters.size(), 3u);
    const std::wstring onShare{letters[0], L':'}, onDisk{letters[1], L':'}, onUnc{letters[2], L':'};
    ASSERT_TRUE(::DefineDosDeviceW(0, onShare.c_str(), L"Y:\\projects\\"));
    ASSERT_TRUE(::DefineDosDeviceW(0, onDisk.c_str(), L"C:\\windows"));
    ASSERT_TRUE(::DefineDosDeviceW(DDD_RAW_TARGET_PATH, onUnc.c_str(), L"\\??\\UNC\\srv\\share\\d"));
    EXPECT_EQ(QueryDriveRemoteName(letters[0]), L"\\\\fs01\\share\\sub\\projects");
    EXPECT_EQ(QueryDriveRemoteName(letters[1]), L"");
    EXPECT_EQ(QueryDriveRemoteName(letters[2]), L"\\\\srv\\share\\d");
    NetworkDriveNames names(&StartThreadHoldingModule);
    EXPECT_EQ(Unc(onShare + L"\\a b.txt", names), L"\\\\fs01\\share\\sub\\projects\\a b.txt");
    for (const std::wstring& drive : {onShare, onDisk, onUnc})
        ::DefineDosDeviceW(DDD_REMOVE_DEFINITION, drive.c_str(), nullptr);
}

TEST(NetworkNamesForReal, LocalDrivesStayAsTheyAre)
{
    ASSERT_EQ(remoteNameQueryForTesting.load(), nullptr);
    EXPECT_EQ(QueryDriveRemoteName(L'C'), L"");
    ScratchFolder scratch;
    MappedDrive drive(scratch.path());
    ASSERT_TRUE(drive.ok());
    EXPECT_EQ(QueryDriveRemoteName(drive.root()[0]), L"");
    NetworkDriveNames names(&StartThreadHoldingModule);
    std::wstring column = drive.root() + L"a b.txt";
    FormPathColumn(column, ColumnKind::FullPath, false, ColumnForm{PathStyle::NetworkUnc, QuoteStyle::WhereNeeded},
                   &names);
    EXPECT_EQ(column, L"\"" + drive.root() + L"a b.txt\"");
}

} // namespace
} // namespace lumbrix::test
