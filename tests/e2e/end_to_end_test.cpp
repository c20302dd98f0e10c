// Whole copies through the registered DLL, as a user gets them: lumbrix-shell
// (a separate process playing Explorer) right-clicks real files, runs a
// command and ends; this program then reads the clipboard.

#include "shell_session.h"
#include "support/clipboard_reader.h"
#include "support/scratch_folder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lumbrix::test {
namespace {

// The folder "Proj" with "a b.txt" (1234 bytes), "empty.dat" and "src\main.c" (56789 bytes).
struct ProjTree {
    ScratchFolder root;
    std::wstring proj;
    ProjTree()
    {
        proj = root.AddFolder(L"Proj");
        root.AddFileOfSize(L"Proj\\a b.txt", 1234);
        root.AddFile(L"Proj\\empty.dat");
        root.AddFileOfSize(L"Proj\\src\\main.c", 56789);
    }
};

std::wstring JoinLines(const std::vector<std::wstring>& lines)
{
    std::wstring text;
    for (std::size_t i = 0; i < lines.size(); ++i) text += (i ? L"\r\n" : L"") + lines[i];
    return text;
}

class EndToEnd : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_EQ(RunRegsvr32(), 0u) << "regsvr32 failed"; }

    // Runs one copy command with exactly the given options on paths and returns the clipboard.
    ClipboardText Copy(int command, const std::wstring& options, const std::vector<std::wstring>& paths,
                       ShellRun* run = nullptr, std::vector<std::wstring> extra = {})
    {
        WriteClipboard(L"(before)");
        std::vector<std::wstring> arguments = {L"--options", options, L"--command", std::to_wstring(command)};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        ShellRun result = RunShell(arguments, paths);
        EXPECT_EQ(result.exitCode, 0u) << std::string(result.output.begin(), result.output.end());
        if (run) *run = result;
        auto text = ReadClipboard();
        EXPECT_TRUE(text.has_value());
        return text.value_or(ClipboardText{});
    }

    // The clipboard holds exactly these lines: CR LF between them, none after
    // the last, one NUL, in a block sized as the text assembly sizes it.
    static void ExpectLines(const ClipboardText& clipboard, const std::vector<std::wstring>& lines)
    {
        const std::wstring text = JoinLines(lines);
        EXPECT_EQ(clipboard.Text(), text);
        ASSERT_GT(clipboard.units.size(), text.size());
        EXPECT_EQ(clipboard.units[text.size()], L'\0');
        EXPECT_EQ(clipboard.blockBytes, text.size() * 2 + 6) << "totalChars * 2 + 2 bytes";
    }

    ProjTree tree;
};

TEST_F(EndToEnd, EveryCopyModeOfOneFolder)
{
    const std::wstring& p = tree.proj;
    ExpectLines(Copy(1, L"OutputDirectory", {p}), {p});
    ExpectLines(Copy(2, L"OutputDirectory", {p}),
                {p, p + L"\\a b.txt", p + L"\\empty.dat", p + L"\\src", p + L"\\src\\main.c"});
    ExpectLines(Copy(3, L"OutputDirectory", {p}),
                {L"Proj", L"Proj\\a b.txt", L"Proj\\empty.dat", L"Proj\\src", L"Proj\\src\\main.c"});
    ExpectLines(Copy(4, L"OutputDirectory", {p}), {L"a b.txt", L"empty.dat", L"src", L"src\\main.c"});
    ExpectLines(Copy(5, L"OutputDirectory", {p}), {L"Proj"});
}

TEST_F(EndToEnd, SeparatorAndSizeOptions)
{
    const std::wstring& p = tree.proj;
    ExpectLines(Copy(3, L"OutputDirectory,EscapePathSeparator", {p}),
                {L"Proj", L"Proj\\\\a b.txt", L"Proj\\\\empty.dat", L"Proj\\\\src", L"Proj\\\\src\\\\main.c"});
    ExpectLines(Copy(3, L"OutputDirectory,OutputURL", {p}),
                {L"Proj", L"Proj/a%20b.txt", L"Proj/empty.dat", L"Proj/src", L"Proj/src/main.c"});
    ExpectLines(Copy(3, L"OutputDirectory,OutputSize", {p}),
                {L"Proj", L"Proj\\a b.txt\t1,234 bytes", L"Proj\\empty.dat\t0 bytes", L"Proj\\src",
                 L"Proj\\src\\main.c\t56,789 bytes"});
    // Files only, without folder lines.
    ExpectLines(Copy(4, L"none", {p}), {L"a b.txt", L"empty.dat", L"src\\main.c"});

    std::wstring url = L"file://" + p;
    for (wchar_t& c : url)
        if (c == L'\\') c = L'/';
    const ClipboardText full = Copy(2, L"OutputURL", {p});
    EXPECT_NE(full.Text().find(url + L"/a%20b.txt\r\n"), std::wstring::npos) << full.Text();
}

TEST_F(EndToEnd, TheShellNeverWaitsForTheCopy)
{
    ShellRun run;
    ExpectLines(Copy(5, L"OutputDirectory", {tree.proj}, &run, {L"--timing"}), {L"Proj"});
    const long returned = TimingValue(run.output, L"InvokeCommand returned after ");
    const long ended = TimingValue(run.output, L"threads ended after ");
    ASSERT_GE(returned, 0) << std::string(run.output.begin(), run.output.end());
    // The copy ends with a one-second pause on its "done" display.
    EXPECT_GE(ended, 1000);
    EXPECT_LT(returned, ended - 900);
}

TEST_F(EndToEnd, CopiesStartedBackToBackRunSideBySide)
{
    ShellRun run;
    ExpectLines(Copy(1, L"OutputDirectory", {tree.proj}, &run, {L"--timing", L"--repeat", L"3"}), {tree.proj});
    // Each copy pauses one second at its end; one after the other they would take three.
    const long ended = TimingValue(run.output, L"threads ended after ");
    EXPECT_GE(ended, 1000);
    EXPECT_LT(ended, 2500) << "the copies did not overlap";
}

TEST_F(EndToEnd, AHostUnloadingUnusedDllsDuringACopyDoesNotCrash)
{
    ShellRun run;
    ExpectLines(Copy(2, L"OutputDirectory", {tree.proj}, &run, {L"--unload-early"}),
                {tree.proj, tree.proj + L"\\a b.txt", tree.proj + L"\\empty.dat", tree.proj + L"\\src",
                 tree.proj + L"\\src\\main.c"});
    EXPECT_NE(run.output.find(L"the DLL was unloaded"), std::wstring::npos)
        << "the module should unload once the last copy has ended";
}

} // namespace
} // namespace lumbrix::test
