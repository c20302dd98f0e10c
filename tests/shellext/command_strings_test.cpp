// Labels, help texts and verbs in both character widths, and the commands
// that offsets and verbs select. Runs twice: as Japanese Windows (display
// language Japanese, OEM code page 932, where the Japanese verbs can pass the
// 8-bit calls) and as US English Windows (English, code page 437).

#include "common/text_table.h"
#include "handler_fixture.h"
#include "popup_menu_driver.h"
#include "settings/options_key_guard.h"
#include "shellext/command_table.h"
#include "shellext/explorer_command.h"
#include "support/clipboard_reader.h"
#include "support/dialog_watcher.h"
#include "support/display_language.h"
#include "support/scratch_folder.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace lumbrix::test {
namespace {

bool JapaneseCodePage()
{
    return ::GetOEMCP() == 932;
}

std::string Oem(const std::wstring& text)
{
    const int size = ::WideCharToMultiByte(CP_OEMCP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_OEMCP, 0, text.c_str(), -1, bytes.data(), size, nullptr, nullptr);
    bytes.pop_back();
    return bytes;
}

const std::wstring kEntryHelp = L"クリップボードにファイル・フォルダ名をコピーします。";
const std::wstring kSizeHelp = L"検索結果の後ろにファイルサイズを追加します。";
const std::wstring kSha1Help = L"検索結果の後ろに SHA-1 ハッシュを追加します。(ファイル内容を総読みするので低速です)";
const std::wstring kSha256Help =
    L"検索結果の後ろに SHA-256 ハッシュを追加します。(ファイル内容を総読みするので低速です)";
const std::wstring kCreateHelp =
    L"選択したファイルのハッシュを、sha256sum などで検証できるチェックサム ファイルに保存します。";
const std::wstring kVerifyHelp = L"選択したファイルを、クリップボードのハッシュまたはチェックサム ファイルと照合します。"
                                 L"(ファイル内容を総読みするので低速です)";
const std::wstring kUrlHelp = L"検索結果のパス区切り記号 (\\) を / に変え、フルパスの場合先頭に file:// を付けます。";
const std::wstring kEntryHelpEnglish = L"Copies the names of files and folders to the clipboard.";
const std::wstring kSizeHelpEnglish = L"Adds the file size after each result.";

// The help texts that GCS_HELPTEXTA and GCS_HELPTEXTW give.
std::wstring EntryHelp() { return InDisplayLanguage(kEntryHelp.c_str(), kEntryHelpEnglish.c_str()); }
std::wstring SizeHelp() { return InDisplayLanguage(kSizeHelp.c_str(), kSizeHelpEnglish.c_str()); }

class CommandStrings : public ::testing::Test {
protected:
    std::wstring Wide(UINT_PTR command, UINT type, UINT capacity, HRESULT expected = S_OK)
    {
        std::wstring buffer(300, L'#');
        EXPECT_EQ(handler_->GetCommandString(command, type, nullptr, reinterpret_cast<CHAR*>(buffer.data()),
                                             capacity),
                  expected);
        return buffer;
    }
    std::string Narrow(UINT_PTR command, UINT type, UINT capacity)
    {
        std::string buffer(300, '#');
        EXPECT_EQ(handler_->GetCommandString(command, type, nullptr, buffer.data(), capacity), S_OK);
        return buffer;
    }

    OptionsKeyGuard optionsKey_;
    ComPtr<LumbrixMenu> handler_ = NewHandler();
};

TEST_F(CommandStrings, WideVerbsAreTheJapaneseHelpTextsEverywhereAndCutToTheBuffer)
{
    for (UINT type : {GCS_VERBW, GCS_VALIDATEW}) {
        EXPECT_EQ(Wide(0, type, 300).c_str(), kEntryHelp);
        EXPECT_EQ(Wide(11, type, 300).c_str(), kSizeHelp);
        EXPECT_EQ(Wide(14, type, 300).c_str(), kSha1Help);
        EXPECT_EQ(Wide(15, type, 300).c_str(), kSha256Help);
        EXPECT_EQ(Wide(10, type, 300).c_str(), kUrlHelp);
        EXPECT_EQ(Wide(16, type, 300).c_str(), kCreateHelp);
        EXPECT_EQ(Wide(17, type, 300).c_str(), kVerifyHelp);
    }
    EXPECT_EQ(Wide(0, GCS_HELPTEXTW, 300).c_str(), EntryHelp());
    EXPECT_EQ(Wide(11, GCS_HELPTEXTW, 300).c_str(), SizeHelp());
    const std::wstring cut = Wide(0, GCS_HELPTEXTW, 10);
    EXPECT_EQ(cut.substr(0, 10), EntryHelp().substr(0, 9) + L'\0');
    EXPECT_EQ(cut[10], L'#') << "nothing written past the buffer";
    EXPECT_EQ(Wide(0, GCS_HELPTEXTW, 1).substr(0, 2), std::wstring(L"\0#", 2));
    EXPECT_EQ(Wide(0, GCS_HELPTEXTW, 0)[0], L'#');
    EXPECT_EQ(handler_->GetCommandString(0, GCS_HELPTEXTW, nullptr, nullptr, 100), S_OK);
}

TEST_F(CommandStrings, NarrowTextsPassTheOemCodePageWhole)
{
    const std::string help = Narrow(11, GCS_HELPTEXTA, 300);
    const std::string text = help.c_str();
    EXPECT_EQ(text, Oem(SizeHelp()));
    if (JapaneseCodePage()) {
        EXPECT_EQ(text.size(), 44u) << "two bytes for each of the 22 characters";
    }
    EXPECT_EQ(help[text.size() + 2], '#') << "nothing past the second zero at the returned index";
    const std::string verb = Narrow(11, GCS_VERBA, 300).c_str();
    if (JapaneseCodePage()) {
        EXPECT_EQ(verb, Oem(kSizeHelp));
    } else {
        // Code page 437 has none of the verb's characters: each becomes '?'.
        EXPECT_EQ(verb, std::string(kSizeHelp.size(), '?'));
    }
    EXPECT_EQ(std::string(Narrow(14, GCS_VERBA, 300).c_str()), Oem(kSha1Help));
    EXPECT_EQ(std::string(Narrow(15, GCS_VERBA, 300).c_str()), Oem(kSha256Help));
    EXPECT_EQ(std::string(Narrow(16, GCS_VERBA, 300).c_str()), Oem(kCreateHelp));
    EXPECT_EQ(std::string(Narrow(17, GCS_VERBA, 300).c_str()), Oem(kVerifyHelp));
}

TEST_F(CommandStrings, NarrowTextsTooLargeForTheBufferGiveAnEmptyString)
{
    const std::string small = Narrow(0, GCS_HELPTEXTA, 10);
    EXPECT_EQ(small[0], '\0');
    EXPECT_EQ(small.substr(10), std::string(290, '#')) << "nothing written past the buffer";
    const std::size_t exact = Oem(EntryHelp()).size() + 1;
    EXPECT_EQ(Narrow(0, GCS_HELPTEXTA, static_cast<UINT>(exact))[0], '\0') << "the limit is one byte short";
    EXPECT_EQ(std::string(Narrow(0, GCS_HELPTEXTA, static_cast<UINT>(exact + 1)).c_str()), Oem(EntryHelp()));

    const std::string one = Narrow(0, GCS_VERBA, 1);
    EXPECT_EQ(one.substr(0, 2), std::string("\0#", 2)) << "a one-byte buffer holds just the terminator";
    EXPECT_EQ(Narrow(0, GCS_VERBA, 0)[0], '#');
    EXPECT_EQ(handler_->GetCommandString(0, GCS_VERBA, nullptr, nullptr, 100), S_OK);
}

TEST_F(CommandStrings, RejectsUnknownCommandsAndTypes)
{
    Wide(28, GCS_HELPTEXTW, 300, E_INVALIDARG);
    Wide(28, GCS_VERBA, 300, E_INVALIDARG);
    Wide(~UINT_PTR{0}, GCS_VERBW, 300, E_INVALIDARG);
    Wide(0, 3, 300, E_INVALIDARG);
    Wide(0, 7, 300, E_INVALIDARG);
}

std::wstring ItemText(HMENU menu, UINT position)
{
    wchar_t text[256] = {};
    ::GetMenuStringW(menu, position, text, 256, MF_BYPOSITION);
    return text;
}

// GetTitle or GetToolTip of a Windows 11 menu command.
std::wstring ExplorerText(int command, bool title)
{
    const ComPtr<ExplorerCommand> item = MakeComObject<ExplorerCommand>(command);
    wchar_t* text = nullptr;
    EXPECT_EQ(title ? item->GetTitle(nullptr, &text) : item->GetToolTip(nullptr, &text), S_OK);
    const std::wstring copy = text ? text : L"";
    ::CoTaskMemFree(text);
    return copy;
}

TEST_F(CommandStrings, BothMenusShowTheLabelsAndHelpTextsOfTheDisplayLanguage)
{
    const TextLanguage language = JapaneseDisplayLanguage() ? TextLanguage::Japanese : TextLanguage::English;
    ASSERT_EQ(DisplayLanguage(), language);
    const HMENU host = ::CreatePopupMenu();
    ASSERT_EQ(handler_->QueryContextMenu(host, 0, 100, 200, CMF_NORMAL), MAKE_HRESULT(SEVERITY_SUCCESS, 0, 28));
    for (int command = 0; command < 28; ++command) {
        // Found by identifier in whichever submenu holds it.
        wchar_t found[256] = {};
        ASSERT_GT(::GetMenuStringW(host, 100 + command, found, 256, MF_BYCOMMAND), 0) << command;
        const std::wstring label = found;
        const std::wstring help = Wide(command, GCS_HELPTEXTW, 300).c_str();
        EXPECT_EQ(label, TextIn(language, IDS_COMMAND_LABEL + command)) << command;
        EXPECT_EQ(help, TextIn(language, IDS_COMMAND_HELP + command)) << command;
        std::wstring title = label;
        // The path forms' radio items have no access key.
        if (JapaneseDisplayLanguage()) {
            if (title.find(L"(&") != std::wstring::npos) title.erase(title.find(L"(&"));
        } else {
            if (title.find(L'&') != std::wstring::npos) title.erase(title.find(L'&'), 1);
            EXPECT_FALSE(HasJapanese(label + help)) << command;
        }
        EXPECT_EQ(ExplorerText(command, true), title) << "no access key in the Windows 11 menu";
        EXPECT_EQ(ExplorerText(command, false), help) << command;
    }
    EXPECT_EQ(ItemText(host, 0), InDisplayLanguage(L"名前をコピー(&N)", L"Copy &Names"));
    EXPECT_EQ(ExplorerText(15, true), InDisplayLanguage(L"SHA-256 を出力する", L"Add SHA-256"));
    ::DestroyMenu(host);
}

// --- InvokeCommand ---

class Invoke : public CommandStrings {
protected:
    HRESULT InvokeVerb(const std::wstring& verb)
    {
        const std::string bytes = Oem(verb);
        CMINVOKECOMMANDINFO info = Invocation(bytes.c_str());
        return handler_->InvokeCommand(&info);
    }
    HRESULT InvokeOffset(int offset)
    {
        CMINVOKECOMMANDINFO info = Invocation(offset);
        return handler_->InvokeCommand(&info);
    }

    HWND owner_ = ForegroundOwnerWindow();
    PopupMenuDriver escape_; // closes the option popup that follows a toggle
};

TEST_F(Invoke, EachOptionOffsetTogglesItsOwnFlagAndStoresAllTen)
{
    for (int offset = 6; offset <= 15; ++offset) {
        const auto flag = static_cast<OptionFlag>(offset - 6);
        const bool before = handler_->options[flag];
        ASSERT_EQ(InvokeOffset(offset), S_OK);
        EXPECT_NE(handler_->options[flag], before);
        for (int i = 0; i < OptionFlagCount; ++i) {
            const auto stored = StoredOption(static_cast<OptionFlag>(i));
            ASSERT_TRUE(stored.has_value()) << "offset " << offset << " value " << i;
            const bool toggled = i + 6 <= offset;
            const bool expected = (i == OutputDirectory) != toggled; // OutputDirectory starts on
            EXPECT_EQ(*stored, expected ? 1u : 0u) << "offset " << offset << " value " << i;
        }
    }
    EXPECT_EQ(escape_.Appearances(), 10u);
}

TEST_F(Invoke, StyleOffsetsPickOneOfTheirGroupAndEveryVerbNamesItsOwnCommand)
{
    const auto stored = [](const wchar_t* name) {
        DWORD value = 99, size = sizeof value;
        ::RegGetValueW(HKEY_CURRENT_USER, kOptionsKeyPath, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
        return value;
    };
    ASSERT_EQ(InvokeOffset(21), S_OK);
    EXPECT_EQ(stored(L"PathStyle"), 3u);
    ASSERT_EQ(InvokeOffset(21), S_OK);
    EXPECT_EQ(stored(L"PathStyle"), 3u) << "chosen again, the style stays";
    ASSERT_EQ(InvokeOffset(25), S_OK);
    ASSERT_EQ(InvokeOffset(26), S_OK);
    EXPECT_EQ(stored(L"QuoteStyle"), 2u);
    EXPECT_EQ(StoredOption(SingleLine), 1u);
    EXPECT_EQ(StoredOption(OutputDirectory), 1u) << "the other options stay";
    EXPECT_EQ(escape_.Appearances(), 4u) << "the popup after each choice";
    // No two commands share a verb: each help text leads back to its own offset.
    for (int offset = 0; offset < 28; ++offset)
        EXPECT_EQ(FindCommandByVerb(Wide(static_cast<UINT_PTR>(offset), GCS_VERBW, 300).c_str()), offset);
    if (JapaneseCodePage()) {
        EXPECT_EQ(InvokeVerb(Wide(19, GCS_VERBW, 300).c_str()), S_OK) << "the 8-bit verb of the network style";
        EXPECT_EQ(stored(L"PathStyle"), 1u);
    }
}

TEST_F(Invoke, OffsetZeroDoesNothingAndOffsetsAboveTwentySevenAreInvalid)
{
    handler_->selection.Insert(L"C:\\kept");
    EXPECT_EQ(InvokeOffset(0), S_OK);
    EXPECT_EQ(InvokeOffset(28), E_INVALIDARG);
    EXPECT_EQ(InvokeOffset(0xFFFF), E_INVALIDARG);
    EXPECT_EQ(handler_->selection.Size(), 1u) << "no copy was started";
    EXPECT_FALSE(StoredOption(OutputDirectory).has_value());
}

TEST_F(Invoke, VerbsActOnlyWhenTheyMatchAHelpTextExactly)
{
    handler_->selection.Insert(L"C:\\kept");
    if (JapaneseCodePage()) {
        EXPECT_EQ(InvokeVerb(kEntryHelp), S_OK);
        EXPECT_EQ(InvokeVerb(kSizeHelp), S_OK);
        EXPECT_EQ(StoredOption(OutputSize), 1u);
        EXPECT_EQ(InvokeVerb(kSha1Help), S_OK);
        EXPECT_EQ(StoredOption(OutputSHA1), 1u);
        EXPECT_EQ(StoredOption(OutputSHA256), 0u);
        EXPECT_EQ(InvokeVerb(kSha256Help), S_OK);
        EXPECT_EQ(StoredOption(OutputSHA256), 1u);
        std::wstring upper = kUrlHelp;
        upper.replace(upper.find(L"file://"), 7, L"FILE://");
        EXPECT_EQ(InvokeVerb(upper), E_FAIL) << "letter case counts";
    } else {
        // The 8-bit form of a Japanese help text is all '?' here and matches nothing.
        EXPECT_EQ(InvokeVerb(kEntryHelp), E_FAIL);
        EXPECT_EQ(InvokeVerb(kSizeHelp), E_FAIL);
        EXPECT_FALSE(StoredOption(OutputSize).has_value());
    }
    // The English help texts act as well, whatever the code page.
    EXPECT_EQ(InvokeVerb(kEntryHelpEnglish), S_OK);
    const bool sizeBefore = StoredOption(OutputSize).value_or(0) != 0;
    EXPECT_EQ(InvokeVerb(kSizeHelpEnglish), S_OK);
    EXPECT_EQ(StoredOption(OutputSize), sizeBefore ? 0u : 1u);
    EXPECT_EQ(InvokeVerb(L"adds the file size after each result."), E_FAIL) << "letter case counts";
    EXPECT_EQ(InvokeVerb(L""), E_FAIL);
    EXPECT_EQ(InvokeVerb(L"copy"), E_FAIL);
    EXPECT_EQ(InvokeVerb(std::wstring(400, L'x')), E_FAIL);
    EXPECT_EQ(handler_->selection.Size(), 1u);
}

TEST_F(Invoke, VerbAboveFourGigabytesIsReadAsAStringNotAsAnOffset)
{
    // Bits 16 to 31 of this address are zero, like those of an offset.
    void* page = nullptr;
    for (ULONG_PTR base = 0x300000000; !page && base < 0x7F00000000; base += 0x100000000)
        page = ::VirtualAlloc(reinterpret_cast<void*>(base), 4096, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    ASSERT_NE(page, nullptr);
    ASSERT_EQ(reinterpret_cast<ULONG_PTR>(page) & 0xFFFFFFFF, 0u);
    auto* verb = static_cast<char*>(page);

    ::lstrcpyA(verb, "nonsense"); // as offset 0 it would answer S_OK
    CMINVOKECOMMANDINFO info = Invocation(verb);
    EXPECT_EQ(handler_->InvokeCommand(&info), E_FAIL);

    ::lstrcpyA(verb, Oem(kSha1Help).c_str());
    EXPECT_EQ(handler_->InvokeCommand(&info), JapaneseCodePage() ? S_OK : E_FAIL);
    if (JapaneseCodePage()) {
        EXPECT_EQ(StoredOption(OutputSHA1), 1u);
    }
    ::VirtualFree(page, 0, MEM_RELEASE);
}

TEST_F(Invoke, UnicodeVerbsActInEveryCodePageAndTheNarrowOneIsThenIgnored)
{
    handler_->selection.Insert(L"C:\\kept");
    CMINVOKECOMMANDINFOEX info{};
    info.cbSize = sizeof info;
    info.fMask = CMIC_MASK_UNICODE;
    info.lpVerb = "nonsense";
    const auto invoke = [&](const wchar_t* verb) {
        info.lpVerbW = verb;
        return handler_->InvokeCommand(reinterpret_cast<CMINVOKECOMMANDINFO*>(&info));
    };
    EXPECT_EQ(invoke(kSizeHelp.c_str()), S_OK);
    EXPECT_EQ(StoredOption(OutputSize), 1u);
    EXPECT_EQ(invoke(kSha1Help.c_str()), S_OK) << "the last command of the table";
    EXPECT_EQ(StoredOption(OutputSHA1), 1u);
    EXPECT_EQ(invoke(L"Adds a SHA-1 hash after each result. (Slow: reads every file in full)"), S_OK);
    EXPECT_EQ(StoredOption(OutputSHA1), 0u) << "the English help text toggles it back";
    std::wstring upper = kUrlHelp;
    upper.replace(upper.find(L"file://"), 7, L"FILE://");
    EXPECT_EQ(invoke(upper.c_str()), E_FAIL) << "letter case counts";
    // An offset in lpVerbW, or a structure too small to hold lpVerbW: lpVerb decides.
    info.lpVerb = MAKEINTRESOURCEA(0);
    EXPECT_EQ(invoke(MAKEINTRESOURCEW(11)), S_OK);
    EXPECT_EQ(StoredOption(OutputSize), 1u) << "offset 0 toggled nothing";
    info.cbSize = sizeof(CMINVOKECOMMANDINFO);
    info.lpVerb = "nonsense";
    EXPECT_EQ(invoke(kEntryHelp.c_str()), E_FAIL);
    EXPECT_EQ(handler_->selection.Size(), 1u);
}

// Each checksum verb starts its job: the create command's Save dialog (which
// is cancelled), the verification's box for a clipboard without a digest.
TEST_F(Invoke, TheChecksumVerbsStartTheirJobsInBothForms)
{
    ScratchFolder scratch;
    const std::wstring file = scratch.AddFile(L"a.bin", "x");
    ClearClipboard();
    DialogWatcher watcher([](const SeenDialog& dialog) {
        DialogWatcher::PressButton(dialog.window, dialog.text.empty() ? IDCANCEL : IDOK);
        return true;
    });
    std::vector<std::wstring> expected;
    for (const bool narrow : {false, true}) {
        if (narrow && !JapaneseCodePage()) break;
        for (const std::wstring* verb : {&kCreateHelp, &kVerifyHelp}) {
            handler_->selection.Insert(file);
            handler_->fileCount = 1;
            const std::string bytes = Oem(*verb);
            CMINVOKECOMMANDINFOEX info{};
            info.cbSize = sizeof info;
            info.hwnd = owner_;
            info.fMask = narrow ? 0 : CMIC_MASK_UNICODE;
            info.lpVerb = narrow ? bytes.c_str() : "nonsense";
            info.lpVerbW = verb->c_str();
            EXPECT_EQ(handler_->InvokeCommand(reinterpret_cast<CMINVOKECOMMANDINFO*>(&info)), S_OK);
            expected.push_back(verb == &kCreateHelp ? InDisplayLanguage(L"チェックサム ファイルの保存", L"Save Checksum File")
                                                   : L"Lumbrix64");
            // The dialog belongs to the owner window of this thread: its messages must flow meanwhile.
            for (int i = 0; i < 1000 && watcher.Count() < expected.size(); ++i) {
                MSG message;
                while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
                ::Sleep(10);
            }
            ASSERT_EQ(watcher.Count(), expected.size());
            EXPECT_EQ(watcher.Seen().back().caption, expected.back());
        }
    }
    // The verification's window goes with its worker.
    for (int i = 0; i < 500 && ::FindWindowW(L"Lumbrix64_Progress", nullptr); ++i) ::Sleep(10);
}

TEST_F(Invoke, NullInvocationIsRejected)
{
    EXPECT_EQ(handler_->InvokeCommand(nullptr), E_INVALIDARG);
}

} // namespace
} // namespace lumbrix::test
