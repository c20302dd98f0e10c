// Whole copies through the registered DLL, as a user gets them: lumbrix-shell
// (a separate process playing Explorer) right-clicks real files, runs a
// command and ends; this program then reads the clipboard.

#include "settings/options_key_guard.h"
#include "shell_session.h"
#include "support/clipboard_reader.h"
#include "support/proj_tree.h"
#include "support/scratch_folder.h"
#include "support/test_paths.h"
#include "support/unix_links.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

namespace lumbrix::test {
namespace {

std::wstring JoinLines(const std::vector<std::wstring>& lines)
{
    std::wstring text;
    for (std::size_t i = 0; i < lines.size(); ++i) text += (i ? L"\r\n" : L"") + lines[i];
    return text;
}

// lumbrix-shell's Windows 11 mode: the DLL loaded from its folder as the
// package manifest names it, without the registry.
std::vector<std::wstring> Windows11(std::vector<std::wstring> more = {})
{
    wchar_t manifest[32768] = {};
    ::GetEnvironmentVariableW(L"LUMBRIX_MANIFEST_PATH", manifest, 32768);
    const std::wstring dll = DllPath();
    std::vector<std::wstring> arguments = {L"--win11", L"\"" + ToWindowsPath(manifest) + L"\"",
                                           L"--external-location", L"\"" + dll.substr(0, dll.rfind(L'\\')) + L"\""};
    arguments.insert(arguments.end(), more.begin(), more.end());
    return arguments;
}

// The line of a lumbrix-shell report that contains part, without its line end.
std::wstring LineOf(const std::wstring& report, const std::wstring& part)
{
    const std::size_t at = report.find(part);
    if (at == std::wstring::npos) return {};
    const std::size_t start = report.rfind(L'\n', at) + 1; // npos + 1 is 0
    return report.substr(start, report.find(L'\n', at) - start);
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

    ScratchFolder scratch;
    ProjTree tree = MakeProjTree(scratch);
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

TEST_F(EndToEnd, PathStylesQuotesAndOneLine)
{
    const std::wstring& p = tree.proj;
    std::wstring slashed = p;
    std::replace(slashed.begin(), slashed.end(), L'\\', L'/');
    const std::wstring drive(1, static_cast<wchar_t>(p[0] | 0x20)); // the letter in lower case
    const std::wstring wsl = L"/mnt/" + drive + slashed.substr(2), msys = L"/" + drive + slashed.substr(2);
    ExpectLines(Copy(2, L"OutputDirectory,PathStyle=2", {p}),
                {slashed, slashed + L"/a b.txt", slashed + L"/empty.dat", slashed + L"/src", slashed + L"/src/main.c"});
    ExpectLines(Copy(2, L"PathStyle=3,QuoteStyle=1,OutputSize", {p}),
                {L"\"" + wsl + L"/a b.txt\"\t1,234 bytes", wsl + L"/empty.dat\t0 bytes", wsl + L"/src/main.c\t56,789 bytes"});
    ExpectLines(Copy(3, L"PathStyle=4,QuoteStyle=2", {p + L"\\src"}), {L"\"src/main.c\""});
    ExpectLines(Copy(1, L"OutputDirectory,PathStyle=4", {p + L"\\src"}), {msys + L"/src"});
    // The network style leaves a local drive as it is.
    ExpectLines(Copy(1, L"PathStyle=1,QuoteStyle=1", {p + L"\\a b.txt"}), {L"\"" + p + L"\\a b.txt\""});

    const ClipboardText one = Copy(4, L"SingleLine,PathStyle=2", {p});
    EXPECT_EQ(one.Text(), L"a b.txt empty.dat src/main.c");
    EXPECT_EQ(one.blockBytes, (7 + 9 + 10 + 3 * 2) * 2 + 2u) << "sized as for CR LF";
}

// A drive whose device names a share, as a mapped network drive's does: Wine
// still reads its files from the folder behind the letter.
TEST_F(EndToEnd, TheNetworkStyleWritesTheShareOfADriveThatNamesOne)
{
    MappedDrive mapped(tree.data);
    ASSERT_TRUE(mapped.ok());
    const std::wstring root = mapped.root(), device = root.substr(0, 2);
    ::DefineDosDeviceW(DDD_REMOVE_DEFINITION, device.c_str(), nullptr);
    ASSERT_TRUE(::DefineDosDeviceW(DDD_RAW_TARGET_PATH, device.c_str(), L"\\??\\UNC\\fs01\\share"));
    const std::wstring share = L"\\\\fs01\\share\\Proj";
    ExpectLines(Copy(2, L"OutputDirectory,PathStyle=1", {root + L"Proj"}),
                {share, share + L"\\a b.txt", share + L"\\empty.dat", share + L"\\src", share + L"\\src\\main.c"});
    ExpectLines(Copy(1, L"OutputDirectory,PathStyle=1,OutputURL", {root + L"Proj"}), {L"file://///fs01/share/Proj"});
    ExpectLines(Copy(3, L"PathStyle=1", {root + L"Proj\\src"}), {L"src\\main.c"});
    ExpectLines(Copy(1, L"OutputDirectory", {root + L"Proj"}), {root + L"Proj"});
    ::DefineDosDeviceW(DDD_REMOVE_DEFINITION, device.c_str(), nullptr);
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
    // Its worker (and window) still run when the shell has its thread back.
    EXPECT_GE(TimingValue(run.output, L"the copies' threads: "), 1);
}

TEST_F(EndToEnd, CopiesStartedBackToBackRunSideBySide)
{
    ShellRun run;
    ExpectLines(Copy(1, L"OutputDirectory", {tree.proj}, &run, {L"--timing", L"--repeat", L"3"}), {tree.proj});
    const long ended = TimingValue(run.output, L"threads ended after ");
    EXPECT_GE(ended, 1000);
    // A copy runs on two threads (its worker and its window's) and pauses one
    // second at its end: one after the other, no two would ever run at once.
    EXPECT_GE(TimingValue(run.output, L" running when InvokeCommand returned, "), 4) << "the copies did not overlap";
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

TEST_F(EndToEnd, TheWindows11MenuCopiesWhatTheClassicMenuCopies)
{
    const std::wstring& p = tree.proj;
    const std::vector<std::wstring> files = {p + L"\\empty.dat", p + L"\\a b.txt"};
    const std::vector<std::tuple<int, std::wstring, std::vector<std::wstring>>> cases = {
        {2, L"OutputDirectory,OutputSize", {p}}, {4, L"OutputURL", {p}}, {5, L"OutputDirectory", files},
        {1, L"OutputSHA256", files}, {27, L"OutputDirectory,PathStyle=3,QuoteStyle=1,SingleLine", {p + L"\\src", files[1]}}};
    for (const auto& [command, options, paths] : cases) {
        const ClipboardText classic = Copy(command, options, paths);
        ShellRun run;
        const ClipboardText windows11 = Copy(command, options, paths, &run, Windows11());
        EXPECT_NE(classic.Text(), L"(before)");
        EXPECT_EQ(windows11.units, classic.units) << "command " << command;
        EXPECT_EQ(windows11.blockBytes, classic.blockBytes);
        const std::wstring& out = run.output;
        EXPECT_NE(out.find(L"DllCanUnloadNow with the commands held: S_FALSE"), std::wstring::npos);
        EXPECT_NE(out.find(L"DllCanUnloadNow after release: S_OK"), std::wstring::npos);
        EXPECT_NE(out.find(L"the DLL was unloaded"), std::wstring::npos) << "the copy's module reference is gone";
    }
}

TEST_F(EndToEnd, TheWindows11MenuShowsTitlesGrayRulesAndCheckMarks)
{
    // An empty archive: the Windows shell gives it SFGAO_FOLDER and SFGAO_STREAM.
    const std::wstring zip = scratch.AddFile(L"Proj\\archive.zip", std::string("PK\x05\x06", 4) + std::string(18, '\0'));
    const ShellRun files = RunShell(Windows11({L"--options", L"OutputDirectory,OutputMD5,OutputSHA256", L"--menu"}),
                                    {zip, tree.proj + L"\\a b.txt"});
    ASSERT_EQ(files.exitCode, 0u) << std::string(files.output.begin(), files.output.end());
    const std::wstring& out = files.output;
    const std::wstring root = LineOf(out, L"root: ");
    EXPECT_TRUE(root.starts_with(L"root: 名前をコピー flags 0x00000001 icon ")) << std::string(root.begin(), root.end());
    EXPECT_TRUE(root.ends_with(L"\\Lumbrix64.dll,-101")) << "the DLL's icon 101";
    for (const wchar_t* line : {L"\n    フルパス   (command 1) flags 0x00000000 state 0x00000000\n",
                                L"\n    フルパス サブフォルダ付   (command 2) flags 0x00000000 state 0x00000001 gray\n",
                                L"\n    カレント サブフォルダ 1 段配下   (command 4) flags 0x00000000 state 0x00000001 gray\n",
                                L"\n    ----------------\n    チェックサム ファイルを作成   (command 16) flags 0x00000000 "
                                L"state 0x00000000\n    ハッシュを照合   (command 17) flags 0x00000000 state 0x00000000\n"
                                L"    ----------------\n    オプション   (entry) flags 0x00000001 state 0x00000000\n"
                                L"        [x] フォルダを含める   (command 6) flags 0x00000000 state 0x0000000C\n",
                                L"\n        [ ] 短いファイル名を取得する   (command 7) flags 0x00000000 state 0x00000004\n",
                                L"\n        [x] MD5 を出力する   (command 13) flags 0x00000000 state 0x0000000C\n",
                                L"\n        [ ] SHA-1 を出力する   (command 14) flags 0x00000000 state 0x00000004\n",
                                L"\n        [x] SHA-256 を出力する   (command 15) flags 0x00000000 state 0x0000000C\n"})
        EXPECT_NE(out.find(line), std::wstring::npos) << std::string(out.begin(), out.end());
    EXPECT_EQ(out.find(L'&'), std::wstring::npos) << "no access keys in this menu";

    const ShellRun folder = RunShell(Windows11({L"--menu"}), {tree.proj});
    EXPECT_EQ(folder.output.find(L" gray"), std::wstring::npos) << "one folder: every command";
    // "C:\." as "C:\" would end in \" on the command line.
    const ShellRun drive = RunShell(Windows11({L"--menu"}), {L"C:\\."});
    EXPECT_TRUE(LineOf(drive.output, L"(command 4)").ends_with(L" gray")) << "a drive root: not one level down";
    EXPECT_EQ(drive.output.find(L" gray"), drive.output.rfind(L" gray"));
}

TEST_F(EndToEnd, AWindows11StateThatNeedsManyItemsWaitsForTheSlowCall)
{
    std::vector<std::wstring> many;
    for (int i = 0; i < 300; ++i) many.push_back(scratch.AddFile(L"Proj\\many\\" + std::to_wstring(i) + L".txt"));
    const ShellRun files = RunShell(Windows11({L"--menu"}), many);
    ASSERT_EQ(files.exitCode, 0u) << std::string(files.output.begin(), files.output.end());
    EXPECT_TRUE(LineOf(files.output, L"(command 1)").ends_with(L"state 0x00000000 (pending)"));
    EXPECT_TRUE(LineOf(files.output, L"(command 2)").ends_with(L" gray (pending)")) << "300 files: no folder to walk";
    EXPECT_FALSE(LineOf(files.output, L"(command 6)").ends_with(L"(pending)")) << "an option reads no item";

    // A folder first settles every rule at the second item.
    many.insert(many.begin(), scratch.AddFolder(L"Proj\\many\\sub"));
    const ShellRun mixed = RunShell(Windows11({L"--menu"}), many);
    EXPECT_EQ(mixed.output.find(L"(pending)"), std::wstring::npos)
        << std::string(mixed.output.begin(), mixed.output.end());
    EXPECT_TRUE(LineOf(mixed.output, L"(command 2)").ends_with(L"state 0x00000000"));
    EXPECT_TRUE(LineOf(mixed.output, L"(command 4)").ends_with(L" gray"));
}

TEST_F(EndToEnd, AWindows11OptionCommandStoresItsOptionAndCopiesNothing)
{
    OptionsKeyGuard optionsKey;
    WriteClipboard(L"(before)");
    const DWORD sequence = ClipboardSequence();
    ShellRun run = RunShell(Windows11({L"--options", L"OutputDirectory", L"--command", L"11"}), {tree.proj});
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(StoredOption(OutputSize), 1u);
    EXPECT_EQ(StoredOption(OutputDirectory), 1u) << "the other options stay";
    run = RunShell(Windows11({L"--command", L"6"}), {tree.proj});
    EXPECT_EQ(StoredOption(OutputDirectory), 0u);
    EXPECT_EQ(StoredOption(OutputSize), 1u);
    EXPECT_NE(run.output.find(L"DllCanUnloadNow after release: S_OK"), std::wstring::npos);
    // A style is picked, not toggled: picked twice, it stays; the menu shows it checked.
    RunShell(Windows11({L"--command", L"20"}), {tree.proj});
    run = RunShell(Windows11({L"--command", L"20", L"--menu"}), {tree.proj});
    DWORD style = 0, size = sizeof style;
    ::RegGetValueW(HKEY_CURRENT_USER, kOptionsKeyPath, L"PathStyle", RRF_RT_REG_DWORD, nullptr, &style, &size);
    EXPECT_EQ(style, 2u);
    EXPECT_TRUE(LineOf(run.output, L"(command 20)").starts_with(L"            [x] スラッシュ区切り (C:/…)"));
    EXPECT_TRUE(LineOf(run.output, L"(command 18)").starts_with(L"            [ ] Windows 形式"));
    EXPECT_EQ(ClipboardSequence(), sequence);
}

TEST_F(EndToEnd, NamesWithoutExtensionThroughTheMenu)
{
    const std::wstring& p = tree.proj;
    ExpectLines(Copy(27, L"OutputDirectory,OutputSize", {p + L"\\src", p + L"\\a b.txt", p + L"\\empty.dat"}),
                {L"a b\t1,234 bytes", L"empty\t0 bytes", L"src"});
}

// A folder "D" with the nine bytes "123456789", an empty file and a subfolder.
class EndToEndDigests : public EndToEnd {
protected:
    void SetUp() override
    {
        folder = scratch.AddFolder(L"D");
        scratch.AddFile(L"D\\data.bin", "123456789");
        scratch.AddFile(L"D\\empty.txt");
        scratch.AddFolder(L"D\\sub");
    }
    std::wstring folder;
};

TEST_F(EndToEndDigests, EachDigestAloneAndAllFourAfterTheSize)
{
    const std::vector<std::pair<std::wstring, std::pair<std::wstring, std::wstring>>> columns = {
        {L"OutputCRC32", {L"\tCRC32:CBF43926", L"\tCRC32:00000000"}},
        {L"OutputMD5", {L"\tMD5:25F9E794323B453885F5181F1B624D0B", L"\tMD5:D41D8CD98F00B204E9800998ECF8427E"}},
        {L"OutputSHA1",
         {L"\tSHA1:F7C3BC1D808E04732ADF679965CCC34CA7AE3441", L"\tSHA1:DA39A3EE5E6B4B0D3255BFEF95601890AFD80709"}},
        {L"OutputSHA256",
         {L"\tSHA256:15E2B0D3C33891EBB0F1EF609EC419420C20E320CE94C65FBC8C3312448EB225",
          L"\tSHA256:E3B0C44298FC1C149AFBF4C8996FB92427AE41E4649B934CA495991B7852B855"}},
    };
    std::wstring allData, allEmpty;
    for (const auto& [option, digests] : columns) {
        ExpectLines(Copy(3, L"OutputDirectory,OutputSize," + option, {folder}),
                    {L"D", L"D\\data.bin\t9 bytes" + digests.first, L"D\\empty.txt\t0 bytes" + digests.second,
                     L"D\\sub"});
        allData += digests.first;
        allEmpty += digests.second;
    }
    ExpectLines(Copy(3, L"OutputDirectory,OutputSize,OutputSHA256,OutputSHA1,OutputMD5,OutputCRC32", {folder}),
                {L"D", L"D\\data.bin\t9 bytes" + allData, L"D\\empty.txt\t0 bytes" + allEmpty, L"D\\sub"});
}

TEST_F(EndToEndDigests, VerifyingThroughEitherMenuTellsTheOutcomeAndCopiesTheReportOnYes)
{
    const std::wstring sha256 = L"15e2b0d3c33891ebb0f1ef609ec419420c20e320ce94c65fbc8c3312448eb225";
    const std::string lines = std::string(sha256.begin(), sha256.end()) + "  data.bin\n" + std::string(64, '0') +
                              "  empty.txt\n" + std::string(sha256.begin(), sha256.end()) + "  missing.bin\n";
    const std::wstring sums = scratch.AddFile(L"D\\SHA256SUMS", lines);
    ShellRun run;
    const ClipboardText report = Copy(17, L"none", {sums}, &run, {L"--answer", L"yes"});
    EXPECT_NE(run.output.find(L"box: Lumbrix64 (warning icon, owner Lumbrix64_Progress)\n    一致しないファイルがあります。"
                              L"\n    \n    一致: 1 個\n    不一致: 1 個\n    見つかりません: 1 個\n"),
              std::wstring::npos)
        << std::string(run.output.begin(), run.output.end());
    EXPECT_EQ(report.Text(), L"一致\t" + folder + L"\\data.bin\r\n不一致\t" + folder + L"\\empty.txt\r\n見つかりません\t" +
                                 folder + L"\\missing.bin\r\n");

    // The Windows 11 menu, one file against the digest on the clipboard.
    WriteClipboard(L"SHA256:" + sha256);
    run = RunShell(Windows11({L"--command", L"17", L"--answer", L"no"}), {folder + L"\\data.bin"});
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_NE(run.output.find(L"box: Lumbrix64 (information icon, owner Lumbrix64_Progress)\n    すべて一致しました (1 個)。"),
              std::wstring::npos)
        << std::string(run.output.begin(), run.output.end());
    EXPECT_EQ(ReadClipboard().value_or(ClipboardText{}).Text(), L"SHA256:" + sha256);
}

TEST_F(EndToEndDigests, AFileLockedByAnotherProgramGetsOneFailureMark)
{
    const std::wstring locked = scratch.AddFile(L"D\\locked.bin", "12345");
    HANDLE holder = ::CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    const ClipboardText clipboard = Copy(4, L"OutputSize,OutputCRC32,OutputMD5,OutputSHA1,OutputSHA256", {folder});
    ::CloseHandle(holder);
    const std::wstring text = clipboard.Text();
    // The last line (folders are not listed here).
    EXPECT_TRUE(text.ends_with(L"\r\nlocked.bin\t5 bytes\t(ハッシュ取得失敗)"))
        << std::string(text.begin(), text.end());
    EXPECT_EQ(text.find(L"(ハッシュ取得失敗)"), text.rfind(L"(ハッシュ取得失敗)")) << "one mark in all";
}

TEST_F(EndToEndDigests, CancelDuringALargeFileLeavesTheClipboardAlone)
{
    // Big enough that hashing takes seconds (sparse: no disk is used).
    scratch.AddSparseFile(L"D\\big.bin", 8ULL << 30);

    WriteClipboard(L"(before)");
    const DWORD sequence = ClipboardSequence();
    HANDLE shell = StartShell({L"--options", L"OutputMD5", L"--command", L"2"}, {folder});
    // The progress window lives in lumbrix-shell's process; press its Cancel
    // button once the window is up (it appears after 1.6 seconds).
    HWND window = nullptr;
    for (int i = 0; i < 1000 && !window; ++i) {
        window = ::FindWindowW(L"Lumbrix64_Progress", nullptr);
        if (!window || !::IsWindowVisible(window)) window = nullptr;
        ::Sleep(10);
    }
    ASSERT_NE(window, nullptr) << "no progress window";
    ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(113, BN_CLICKED), 0);
    std::wstring title;
    for (int i = 0; i < 100 && title.find(L"キャンセル") == std::wstring::npos; ++i) {
        wchar_t text[256] = {};
        ::GetWindowTextW(window, text, 256);
        title = text;
        ::Sleep(10);
    }
    EXPECT_EQ(title, L"Lumbrix64: キャンセルされました。");
    EXPECT_EQ(::WaitForSingleObject(shell, 60000), WAIT_OBJECT_0);
    ::CloseHandle(shell);
    EXPECT_EQ(ClipboardSequence(), sequence) << "a cancelled copy leaves the clipboard as it was";
}

} // namespace
} // namespace lumbrix::test
