// The save-to-file fallback driven through the real question, Save dialog and
// files: what is written, and what is left behind when it fails or is cancelled.

#include "output_job.h"
#include "support/save_dialog_driver.h"
#include "support/scratch_folder.h"

#include <gtest/gtest.h>

#include <optional>

namespace lumbrix::test {
namespace {

const std::string kByteOrderMark = "\xFF\xFE";

std::string Utf16Bytes(const std::wstring& text)
{
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

std::size_t FilesIn(const std::wstring& folder)
{
    WIN32_FIND_DATAW found;
    const HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
    std::size_t count = 0;
    for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = ::FindNextFileW(find, &found))
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++count;
    if (find != INVALID_HANDLE_VALUE) ::FindClose(find);
    return count;
}

TEST(SaveToFile, DecliningTheQuestionWritesNothingAndShowsNothingMore)
{
    ScratchFolder scratch;
    auto job = MakeJob({L"a"});
    SaveDialogDriver driver({scratch / L"out.txt"}, IDNO);
    EXPECT_FALSE(SaveToFile(*job));
    // A box blocks the phase that shows it: a second one would have been seen by now.
    EXPECT_EQ(driver.Boxes().size(), 1u);
    EXPECT_TRUE(driver.Visits().empty());
    EXPECT_FALSE(FileExists(scratch / L"out.txt"));
}

TEST(SaveToFile, ThreeLinesGiveSixteenBytes)
{
    ScratchFolder scratch;
    auto job = MakeJob({L"c", L"a", L"b"});
    SaveDialogDriver driver({scratch / L"out.txt"});
    ASSERT_TRUE(SaveToFile(*job));
    EXPECT_EQ(ReadFileBytes(scratch / L"out.txt"), std::string("\xFF\xFE" "a\0\r\0\n\0b\0\r\0\n\0c\0", 16));
    EXPECT_EQ(driver.Visits().size(), 1u);
    ASSERT_EQ(driver.Boxes().size(), 1u) << "only the question";
}

TEST(SaveToFile, LinesJoinedIntoOneHaveASpaceBetweenThemAndNoneAfter)
{
    ScratchFolder scratch;
    auto job = MakeJob({L"c", L"a", L"b"});
    SaveDialogDriver driver({scratch / L"one.txt"});
    ASSERT_TRUE(SaveToFile(*job, {}, /*singleLine=*/true));
    EXPECT_EQ(ReadFileBytes(scratch / L"one.txt"), kByteOrderMark + Utf16Bytes(L"a b c"));
}

TEST(SaveToFile, EmptyListGivesJustTheByteOrderMark)
{
    ScratchFolder scratch;
    auto job = MakeJob({});
    SaveDialogDriver driver({scratch / L"empty.txt"});
    ASSERT_TRUE(SaveToFile(*job));
    EXPECT_EQ(ReadFileBytes(scratch / L"empty.txt"), kByteOrderMark);
}

TEST(SaveToFile, LongLinesAndManyLinesAreWrittenWhole)
{
    ScratchFolder scratch;
    std::vector<std::wstring> lines = ManyLines(50000, 30);
    lines.push_back(std::wstring(5000, L'z'));
    auto job = MakeJob(lines);
    SaveDialogDriver driver({scratch / L"long.txt"});
    ASSERT_TRUE(SaveToFile(*job));
    std::wstring expected;
    for (const ResultLine& line : job->results.lines) {
        if (!expected.empty()) expected += L"\r\n";
        expected += line.Text();
    }
    EXPECT_EQ(ReadFileBytes(scratch / L"long.txt"), kByteOrderMark + Utf16Bytes(expected));
}

TEST(SaveToFile, NameWithoutExtensionGetsTxt)
{
    ScratchFolder scratch;
    auto job = MakeJob({L"a"});
    SaveDialogDriver driver({scratch / L"result"});
    ASSERT_TRUE(SaveToFile(*job));
    EXPECT_EQ(ReadFileBytes(scratch / L"result.txt"), kByteOrderMark + Utf16Bytes(L"a"));
    EXPECT_FALSE(FileExists(scratch / L"result"));
}

TEST(SaveToFile, FileThatCannotBeCreatedShowsTheSystemErrorThenTheDialogAgain)
{
    // Root ignores the read-only attribute under Wine; a file that another
    // handle keeps without sharing refuses for real.
    ScratchFolder scratch;
    const std::wstring locked = scratch.AddFile(L"locked.txt", "old");
    HANDLE keeper = ::CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(keeper, INVALID_HANDLE_VALUE);
    auto job = MakeJob({L"a"});
    SaveDialogDriver driver({locked, L""}); // then cancel the second dialog
    EXPECT_FALSE(SaveToFile(*job));
    ::CloseHandle(keeper);
    const auto visits = driver.Visits();
    ASSERT_EQ(visits.size(), 2u);
    EXPECT_NE(visits[1].initialName.find(L"locked"), std::wstring::npos) << "the dialog starts again from the name just chosen";
    bool systemError = false;
    for (const SeenDialog& box : driver.Boxes())
        systemError = systemError || (box.caption == L"Lumbrix64" && box.text.find(L"(32)") != std::wstring::npos);
    EXPECT_TRUE(systemError) << "sharing violation, code 32, in the system error box";
    EXPECT_EQ(ReadFileBytes(locked), "old");
}

// Cancels as the Cancel button would once line 1000 has been written.
void CancelAfterLine1000(ProgressReport& report, void* linesWritten)
{
    if (++*static_cast<std::uint64_t*>(linesWritten) == 1000) report.Stop();
}

TEST(SaveToFile, CancelWhileWritingLeavesNoNewFileAndAnOldOneAsItWas)
{
    for (const bool existed : {false, true}) {
        ScratchFolder scratch;
        if (existed) scratch.AddFile(L"big.txt", "old");
        auto job = MakeJob(ManyLines(300000, 60));
        SaveDialogDriver driver({scratch / L"big.txt"});
        std::uint64_t linesWritten = 0;
        const bool saved = SaveToFile(*job, StepHook{CancelAfterLine1000, &linesWritten});
        EXPECT_FALSE(saved);
        EXPECT_EQ(linesWritten, 1000u) << "not one line after the cancel";
        EXPECT_LT(job->report.Position(), job->results.lines.size()) << "the write ended before the cancel";
        if (existed)
            EXPECT_EQ(ReadFileBytes(scratch / L"big.txt"), "old");
        else
            EXPECT_FALSE(FileExists(scratch / L"big.txt"));
        EXPECT_EQ(FilesIn(scratch.path()), existed ? 1u : 0u) << "no temporary file is left";
        std::size_t ours = 0;
        for (const SeenDialog& box : driver.Boxes()) ours += box.caption == L"Lumbrix64";
        EXPECT_EQ(ours, 1u) << "the question, then nothing: a cancel shows nothing";
    }
}

TEST(SaveToFile, ACompleteWriteReplacesAnOlderFileAndLeavesNothingElse)
{
    ScratchFolder scratch;
    scratch.AddFile(L"out.txt", "an older and longer text");
    auto job = MakeJob({L"a"});
    SaveDialogDriver driver({scratch / L"out.txt"});
    ASSERT_TRUE(SaveToFile(*job));
    EXPECT_EQ(ReadFileBytes(scratch / L"out.txt"), std::string("\xFF\xFE" "a\0", 4));
    EXPECT_EQ(FilesIn(scratch.path()), 1u);
}

// The Desktop entry of the user's shell folders, set for one test.
class DesktopFolderValue {
public:
    explicit DesktopFolderValue(const std::optional<std::wstring>& folder)
    {
        ::RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
        wchar_t old[MAX_PATH * 4] = {};
        DWORD bytes = sizeof(old);
        if (::RegQueryValueExW(key_, L"Desktop", nullptr, nullptr, reinterpret_cast<BYTE*>(old), &bytes) == 0)
            old_ = old;
        if (folder) Set(*folder);
        else ::RegDeleteValueW(key_, L"Desktop");
    }
    ~DesktopFolderValue()
    {
        if (old_) Set(*old_);
        ::RegCloseKey(key_);
    }

private:
    void Set(const std::wstring& folder)
    {
        ::RegSetValueExW(key_, L"Desktop", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                         static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
    }
    static constexpr wchar_t kKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    HKEY key_ = nullptr;
    std::optional<std::wstring> old_;
};

TEST(SaveToFile, DialogStartsInTheDesktopFolderShowingTextFiles)
{
    ScratchFolder desktop;
    DesktopFolderValue value(desktop.path());
    auto job = MakeJob({L"a"});
    SaveDialogDriver driver({L""});
    EXPECT_FALSE(SaveToFile(*job)) << "the dialog was cancelled";
    const auto visits = driver.Visits();
    ASSERT_EQ(visits.size(), 1u);
    EXPECT_EQ(::lstrcmpiW(visits[0].folder.c_str(), desktop.path().c_str()), 0)
        << std::string(visits[0].folder.begin(), visits[0].folder.end());
    EXPECT_EQ(visits[0].initialName, L"*.txt");
}

TEST(SaveToFile, WithoutDesktopEntryTheDialogStartsWithAnEmptyName)
{
    DesktopFolderValue value(std::nullopt);
    auto job = MakeJob({L"a"});
    SaveDialogDriver driver({L""});
    EXPECT_FALSE(SaveToFile(*job));
    const auto visits = driver.Visits();
    ASSERT_EQ(visits.size(), 1u);
    EXPECT_EQ(visits[0].initialName, L"");
}

} // namespace
} // namespace lumbrix::test
