// The two checksum commands as whole jobs in this process: the Save dialog
// and the checksum file it leads to, the expected digests from a checksum
// file or the clipboard, the result box and the report.

#include "running_job.h"
#include "shellext/command_table.h"
#include "support/clipboard_reader.h"
#include "support/save_dialog_driver.h"
#include "support/scratch_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace lumbrix::test {
namespace {

const std::vector<std::wstring> kChecksumDialog = {kChecksumDialogTitles[0], kChecksumDialogTitles[1]};
// The digests of "123456789".
constexpr wchar_t kSha256[] = L"15e2b0d3c33891ebb0f1ef609ec419420c20e320ce94c65fbc8c3312448eb225";
constexpr wchar_t kMd5[] = L"25f9e794323b453885f5181f1b624d0b";

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

std::string FileBytes(const std::wstring& path)
{
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// Counts a phase's steps: a chunk read, a folder listed.
struct StepCount {
    std::atomic<int> steps{0};
    StepHook Hook()
    {
        return {[](ProgressReport&, void* context) { ++static_cast<StepCount*>(context)->steps; }, this};
    }
};

CopyJobPointer ChecksumJob(int command, const std::vector<std::wstring>& selection)
{
    CopyJobPointer job = CreateCopyJob();
    job->request.mode = command;
    for (const std::wstring& path : selection) {
        job->request.selection.Insert(path);
        ++(::GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY ? job->request.folderCount
                                                                         : job->request.fileCount);
    }
    return job;
}

// Runs a verification with the result box answered; the box it showed.
SeenDialog Verify(const std::vector<std::wstring>& selection, int answer, DWORD expectedExit = CopyJobDone)
{
    SaveDialogDriver driver({}, answer);
    EXPECT_EQ(RunningJob(ChecksumJob(kVerifyCommand, selection)).Wait(), expectedExit);
    const std::vector<SeenDialog> boxes = driver.Boxes();
    EXPECT_EQ(boxes.size(), 1u);
    return boxes.empty() ? SeenDialog{} : boxes.front();
}

class ChecksumJobs : public ::testing::Test {
protected:
    ScratchFolder scratch_;
};

TEST_F(ChecksumJobs, AChecksumFileOfEveryFormInUtf16IsVerifiedAndTheReportCopiedOnYes)
{
    scratch_.AddFile(L"data\\a.bin", "123456789");
    scratch_.AddFile(L"data\\b.bin", "123456780"); // one byte changed
    scratch_.AddFile(L"data\\c.bin", "123456789");
    const std::wstring d = scratch_.AddFile(L"data\\d.bin", "123456789");
    const std::wstring e = scratch_.AddFile(L"data\\e.bin", "123456789");
    const std::wstring lines[] = {
        L"# GNU, BSD, SFV and this product's own copy line, and what is not opened",
        std::wstring(kSha256) + L"  data/a.bin",
        L"SHA256 (data/b.bin) = " + std::wstring(kSha256),
        L"; a comment",
        L"data/c.bin CBF43926",
        d + L"\t9 bytes\tMD5:25F9E794323B453885F5181F1B624D0B\tSHA1:F7C3BC1D808E04732ADF679965CCC34CA7AE3441",
        std::wstring(kMd5) + L" *data\\gone.bin",
        std::wstring(kSha256) + L"  \\\\127.0.0.1\\c$\\a.bin",
        std::wstring(kSha256) + L"  data/a.bin:evil",
        std::wstring(kSha256) + L"  data/e.bin",
        L"not a line of any list",
    };
    std::wstring text = L"\xFEFF";
    for (const std::wstring& line : lines) text += line + L"\r\n";
    const std::wstring list = scratch_.AddFile(
        L"SHA256SUMS.txt", std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t)));
    UniqueFile locked(::CreateFileW(e.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(locked);

    WriteClipboard(L"kept");
    const DWORD sequence = ClipboardSequence();
    const SeenDialog declined = Verify({list}, IDNO);
    EXPECT_EQ(ClipboardSequence(), sequence) << "No leaves the clipboard as it was";
    const SeenDialog box = Verify({list}, IDYES);
    EXPECT_EQ(box.text, declined.text);
    EXPECT_EQ(box.caption, L"Lumbrix64");
    EXPECT_EQ(box.ownerClass, L"Lumbrix64_Progress");
    EXPECT_EQ(box.icon, ::LoadIconW(nullptr, IDI_WARNING));
    EXPECT_EQ(box.text, L"一致しないファイルがあります。\r\n\r\n一致: 3 個\r\n不一致: 1 個\r\n見つかりません: 1 個\r\n"
                        L"読めません: 3 個\r\n\r\n結果をクリップボードにコピーしますか?");
    const std::wstring data = scratch_ / L"data\\";
    EXPECT_EQ(ReadClipboard().value_or(ClipboardText{}).Text(),
              L"一致\t" + data + L"a.bin\r\n不一致\t" + data + L"b.bin\r\n一致\t" + data + L"c.bin\r\n一致\t" + d +
                  L"\r\n見つかりません\t" + data + L"gone.bin\r\n読めません\t\\\\127.0.0.1\\c$\\a.bin\r\n読めません\t" +
                  data + L"a.bin:evil\r\n読めません\t" + e + L"\r\n");
}

TEST_F(ChecksumJobs, OneFileAgainstAPastedDigestShowsBothDigests)
{
    const std::wstring file = scratch_.AddFile(L"a.iso", "123456789");
    WriteClipboard(L"\r\n  SHA-256: " + std::wstring(kSha256) + L"  \r\n");
    const SeenDialog match = Verify({file}, IDYES);
    EXPECT_EQ(match.icon, ::LoadIconW(nullptr, IDI_INFORMATION));
    EXPECT_EQ(match.text, L"すべて一致しました (1 個)。\r\n\r\n期待値: " + std::wstring(kSha256) + L"\r\n計算値: " +
                              std::wstring(kSha256));

    const std::wstring wrong = L"MD5:00000000000000000000000000000000";
    WriteClipboard(wrong);
    const SeenDialog mismatch = Verify({file}, IDNO);
    EXPECT_EQ(mismatch.text, L"一致しないファイルがあります。\r\n\r\n不一致: 1 個\r\n\r\n期待値: "
                             L"00000000000000000000000000000000\r\n計算値: " +
                                 std::wstring(kMd5) + L"\r\n\r\n結果をクリップボードにコピーしますか?");
    EXPECT_EQ(ReadClipboard().value_or(ClipboardText{}).Text(), wrong);
}

TEST_F(ChecksumJobs, PastedLinesCheckOnlyTheSelectionAndNameTheFilesTheyLack)
{
    const std::wstring folder = scratch_.AddFolder(L"data");
    scratch_.AddFile(L"data\\a.bin", "123456789");
    const std::wstring b = scratch_.AddFile(L"data\\b.bin", "x");
    scratch_.AddFile(L"data\\sub\\c.bin", "123456780");
    const std::wstring x = scratch_.AddFile(L"x.bin", "x");
    scratch_.AddFile(L"other\\y.bin", "123456789");
    const std::wstring sha256(kSha256);
    WriteClipboard(sha256 + L"  data/a.bin\n" + sha256 + L"  data/sub/c.bin\n" + sha256 + L"  other/y.bin\n" +
                   sha256 + L"  data/gone.bin\n");
    const SeenDialog box = Verify({folder, x}, IDYES);
    EXPECT_EQ(box.text, L"一致しないファイルがあります。\r\n\r\n一致: 1 個\r\n不一致: 1 個\r\n見つかりません: 1 個\r\n"
                        L"リストにありません: 2 個\r\n\r\n結果をクリップボードにコピーしますか?");
    EXPECT_EQ(ReadClipboard().value_or(ClipboardText{}).Text(),
              L"一致\t" + folder + L"\\a.bin\r\n不一致\t" + folder + L"\\sub\\c.bin\r\n見つかりません\t" + folder +
                  L"\\gone.bin\r\nリストにありません\t" + b + L"\r\nリストにありません\t" + x + L"\r\n");
}

TEST_F(ChecksumJobs, NothingUsableOnTheClipboardIsToldAndNothingIsRead)
{
    const std::wstring file = scratch_.AddFile(L"a.bin", "123456789");
    std::mt19937 random(25);
    std::wstring junk(1 << 20, L'x');
    for (wchar_t& unit : junk) unit = wchar_t(1 + random() % 0xFFFF); // lone surrogates, line breaks, tabs
    for (const bool empty : {false, true}) {
        if (empty)
            ClearClipboard();
        else
            WriteClipboard(junk);
        SaveDialogDriver driver({});
        CopyJobPointer job = ChecksumJob(kVerifyCommand, {file});
        StepCount chunks;
        job->hooks.afterChunk = chunks.Hook();
        EXPECT_EQ(RunningJob(std::move(job)).Wait(), CopyJobNoOutput);
        EXPECT_EQ(chunks.steps, 0) << "no file was read";
        ASSERT_EQ(driver.Boxes().size(), 1u);
        EXPECT_EQ(driver.Boxes()[0].text, L"クリップボードに照合できるハッシュがありません。");
        EXPECT_EQ(driver.Boxes()[0].icon, ::LoadIconW(nullptr, IDI_INFORMATION));
    }
}

TEST_F(ChecksumJobs, CancelWhileVerifyingShowsNothingAndLeavesTheClipboard)
{
    const std::wstring big = scratch_.AddSparseFile(L"big.bin", 2ULL << 30);
    WriteClipboard(kSha256);
    const DWORD sequence = ClipboardSequence();
    SaveDialogDriver driver({});
    RunningJob job(ChecksumJob(kVerifyCommand, {big}), L"ハッシュを照合しています");
    EXPECT_EQ(job.Wait(), CopyJobHashCancelled);
    EXPECT_TRUE(job.Cancelled());
    EXPECT_TRUE(driver.Boxes().empty());
    EXPECT_EQ(ClipboardSequence(), sequence);
}

// --- Creating a checksum file ---

TEST_F(ChecksumJobs, TheDialogOpensBesideTheSelectionAndATypedExtensionPicksTheDigest)
{
    const std::wstring file = scratch_.AddFile(L"dir\\a.iso", "123456789");
    {
        SaveDialogDriver driver({L"x.md5"}, IDYES, {}, kChecksumDialog);
        // The dialog shows SHA-256: x.md5 is an MD5 list all the same.
        EXPECT_EQ(RunningJob(ChecksumJob(kCreateChecksumCommand, {file})).Wait(), CopyJobDone);
        ASSERT_EQ(driver.Visits().size(), 1u);
        EXPECT_EQ(driver.Visits()[0].folder, scratch_ / L"dir");
        EXPECT_TRUE(driver.Visits()[0].initialName.ends_with(L"a.iso.sha256"))
            << Narrow(driver.Visits()[0].initialName);
        EXPECT_EQ(FileBytes(scratch_ / L"dir\\x.md5"), Narrow(kMd5) + "  a.iso\n");
    }

    // Without one of the four extensions the type shown gives it; replacing a
    // file of that name is asked first.
    scratch_.AddFile(L"dir\\plain.sha256", "old\n");
    SaveDialogDriver again({L"plain"}, IDYES, {}, kChecksumDialog);
    EXPECT_EQ(RunningJob(ChecksumJob(kCreateChecksumCommand, {file})).Wait(), CopyJobDone);
    ASSERT_EQ(again.Boxes().size(), 1u);
    EXPECT_EQ(again.Boxes()[0].text, L"plain.sha256 は既に存在します。\r\n上書きしますか?");
    EXPECT_EQ(FileBytes(scratch_ / L"dir\\plain.sha256"), Narrow(kSha256) + "  a.iso\n");
}

TEST_F(ChecksumJobs, CancelInTheDialogReadsNothing)
{
    const std::wstring folder = scratch_.AddFile(L"dir\\a.iso", "123456789");
    SaveDialogDriver driver({L""}, IDYES, {}, kChecksumDialog);
    CopyJobPointer job = ChecksumJob(kCreateChecksumCommand, {scratch_ / L"dir"});
    StepCount folders;
    job->hooks.afterFolder = folders.Hook();
    EXPECT_EQ(RunningJob(std::move(job)).Wait(), CopyJobCancelled);
    EXPECT_EQ(driver.Visits().size(), 1u);
    EXPECT_EQ(folders.steps, 0) << "no folder was listed";
}

TEST_F(ChecksumJobs, AFileThatCannotBeReadIsLeftOutAndTold)
{
    const std::wstring folder = scratch_.AddFolder(L"dir");
    scratch_.AddFile(L"dir\\ok.bin", "123456789");
    const std::wstring locked = scratch_.AddFile(L"dir\\locked.bin", "x");
    UniqueFile holder(::CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder);
    SaveDialogDriver driver({scratch_ / L"dir\\list.sha256"}, IDYES, {}, kChecksumDialog);
    EXPECT_EQ(RunningJob(ChecksumJob(kCreateChecksumCommand, {folder})).Wait(), CopyJobDone);
    ASSERT_EQ(driver.Boxes().size(), 1u);
    EXPECT_EQ(driver.Boxes()[0].text,
              L"読み取れなかったファイルがあります。チェックサム ファイルには含まれていません。\r\n" + locked);
    EXPECT_EQ(FileBytes(scratch_ / L"dir\\list.sha256"), Narrow(kSha256) + "  ok.bin\n");
}

TEST_F(ChecksumJobs, ACancelWhileReadingLeavesAnEarlierFileAsItWas)
{
    const std::wstring folder = scratch_.AddFolder(L"dir");
    scratch_.AddSparseFile(L"dir\\big.bin", 2ULL << 30);
    const std::wstring target = scratch_.AddFile(L"list.sha256", "old\n");
    SaveDialogDriver driver({target}, IDYES, {}, kChecksumDialog);
    RunningJob job(ChecksumJob(kCreateChecksumCommand, {folder}), L"ハッシュを生成しています");
    EXPECT_EQ(job.Wait(), CopyJobHashCancelled);
    EXPECT_EQ(FileBytes(target), "old\n");
    WIN32_FIND_DATAW found;
    const HANDLE find = ::FindFirstFileW((scratch_ / L"*").c_str(), &found);
    int entries = 0;
    for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = ::FindNextFileW(find, &found)) ++entries;
    ::FindClose(find);
    EXPECT_EQ(entries, 4) << "., .., dir and the list: no temporary file left";
}

} // namespace
} // namespace lumbrix::test
