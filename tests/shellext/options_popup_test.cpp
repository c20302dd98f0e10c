// The option popup under a real display: where it opens, what it shows, and
// what choosing, toggling and dismissing in it do to the job and the registry.

#include "common/unique_any.h"
#include "handler_fixture.h"
#include "popup_menu_driver.h"
#include "settings/options_key_guard.h"
#include "shellext/copy_job.h"
#include "shellext/options_popup.h"
#include "support/dialog_watcher.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <memory>
#include <optional>

namespace lumbrix::test {
namespace {

constexpr UINT kPopupId = 40000; // command n at 40000 + n

std::size_t ThreadsOfThisProcess()
{
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    std::size_t count = 0;
    for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == ::GetCurrentProcessId()) ++count;
    ::CloseHandle(snapshot);
    return count;
}

// A started copy runs on; the next test must not meet its windows or boxes.
void WaitForThreadCount(std::size_t count)
{
    for (int i = 0; i < 1000 && ThreadsOfThisProcess() > count; ++i) ::Sleep(10);
}

class OptionsPopup : public ::testing::Test {
protected:
    void SetUp() override
    {
        const int width = ::GetSystemMetrics(SM_CXSCREEN);
        const int height = ::GetSystemMetrics(SM_CYSCREEN);
        cursor_ = {width / 2, height / 2};
        ASSERT_TRUE(::SetCursorPos(cursor_.x, cursor_.y));
    }

    CopyJobPointer NewJob(int mode)
    {
        CopyJobPointer job = CreateCopyJob();
        job->request.mode = mode;
        job->progress.owner = owner_;
        return job;
    }

    OptionsKeyGuard optionsKey_;
    DialogWatcher boxes_{IDNO}; // a copy that fails must not hang the test, nor ask to save
    HWND owner_ = ForegroundOwnerWindow();
    POINT cursor_{};
};

TEST_F(OptionsPopup, ToggleFromTheContextMenuOpensThePopupAtTheCursorAndCopyRunsWithIt)
{
    ShownMenu seen;
    bool md5Checked = false;
    PopupMenuDriver driver([&](const ShownMenu& menu) {
        seen = menu;
        md5Checked = IsChecked(menu.menu, kPopupId + 13);
        return L'f'; // フルパス(&F)
    });
    ComPtr<LumbrixMenu> handler = NewHandler();
    handler->selection.Insert(L"C:\\windows");
    CMINVOKECOMMANDINFO info = Invocation(13);
    // The window the shell names owns the copy's windows, not whichever is in front.
    const UniqueWindow invoker(::CreateWindowExW(0, L"STATIC", L"invoker", WS_POPUP, 0, 0, 10, 10, nullptr,
                                                 nullptr, nullptr, nullptr));
    info.hwnd = invoker.get();
    const std::size_t threads = ThreadsOfThisProcess();
    ASSERT_EQ(handler->InvokeCommand(&info), S_OK);
    HWND progress = nullptr;
    for (int i = 0; i < 500 && !(progress = ::FindWindowW(L"Lumbrix64_Progress", nullptr)); ++i) ::Sleep(2);
    ASSERT_NE(progress, nullptr);
    EXPECT_EQ(::GetWindow(progress, GW_OWNER), invoker.get());
    WaitForThreadCount(threads);

    ASSERT_EQ(driver.Appearances(), 1u);
    EXPECT_TRUE(md5Checked);
    EXPECT_NEAR((seen.rect.left + seen.rect.right) / 2.0, cursor_.x, 1.0);
    EXPECT_NEAR((seen.rect.top + seen.rect.bottom) / 2.0, cursor_.y, 1.0);
    EXPECT_TRUE(handler->selection.Empty()) << "a copy was started with the selection";
    EXPECT_EQ(StoredOption(OutputMD5), 1u);
}

TEST_F(OptionsPopup, ChoosingACopyCommandSetsTheModeAndKeepsTheToggledOptions)
{
    StoreOption(OutputMD5, 1);
    auto job = NewJob(13);
    PopupMenuDriver driver([](const ShownMenu&) { return L'f'; });
    job->request.mode = RunOptionsPopup(owner_, job->request);
    EXPECT_EQ(job->request.mode, FullPath);
    EXPECT_TRUE(job->request.options[OutputMD5]) << "reloaded from the registry";
}

TEST_F(OptionsPopup, EscapeStartsNothingAndLeavesTheToggleStored)
{
    PopupMenuDriver driver;
    ComPtr<LumbrixMenu> handler = NewHandler();
    handler->selection.Insert(L"C:\\windows");
    CMINVOKECOMMANDINFO info = Invocation(13);
    ASSERT_EQ(handler->InvokeCommand(&info), S_OK);
    EXPECT_EQ(driver.Appearances(), 1u);
    EXPECT_EQ(handler->selection.Size(), 1u) << "no copy";
    EXPECT_EQ(StoredOption(OutputMD5), 1u);
    EXPECT_TRUE(handler->options[OutputMD5]);
}

TEST_F(OptionsPopup, TogglesInThePopupAreSavedEachTimeAndTheMenuComesBack)
{
    // What each of the five menus showed, and what the registry held then.
    struct Round {
        bool sizeChecked, crcChecked, sha1Checked, sha256Checked;
        std::optional<DWORD> sizeStored, crcStored, sha1Stored, sha256Stored;
    };
    std::vector<Round> rounds;
    const wchar_t keys[] = {L'z', L'3', L'1', L'2', L'n'};
    PopupMenuDriver driver([&](const ShownMenu& menu) {
        rounds.push_back({IsChecked(menu.menu, kPopupId + 11), IsChecked(menu.menu, kPopupId + 12),
                          IsChecked(menu.menu, kPopupId + 14), IsChecked(menu.menu, kPopupId + 15),
                          StoredOption(OutputSize), StoredOption(OutputCRC32), StoredOption(OutputSHA1),
                          StoredOption(OutputSHA256)});
        return keys[(rounds.size() - 1) % 5];
    });
    auto job = NewJob(6);
    job->request.mode = RunOptionsPopup(owner_, job->request);

    ASSERT_EQ(rounds.size(), 5u);
    EXPECT_EQ(job->request.mode, NameOnly);
    EXPECT_FALSE(rounds[0].sizeChecked);
    EXPECT_FALSE(rounds[0].sizeStored.has_value()) << "nothing saved before the first toggle";
    EXPECT_TRUE(rounds[1].sizeChecked);
    EXPECT_EQ(rounds[1].sizeStored, 1u);
    EXPECT_EQ(rounds[1].crcStored, 0u) << "all ten values are written";
    EXPECT_EQ(rounds[1].sha256Stored, 0u);
    EXPECT_TRUE(rounds[2].crcChecked);
    EXPECT_EQ(rounds[2].crcStored, 1u);
    EXPECT_TRUE(rounds[3].sha1Checked);
    EXPECT_EQ(rounds[3].sha1Stored, 1u);
    EXPECT_FALSE(rounds[3].sha256Checked);
    EXPECT_TRUE(rounds[4].sha256Checked);
    EXPECT_EQ(rounds[4].sha256Stored, 1u);
    const OutputOptions& chosen = job->request.options;
    EXPECT_TRUE(chosen[OutputSize] && chosen[OutputCRC32] && chosen[OutputSHA1] && chosen[OutputSHA256]);
}

TEST_F(OptionsPopup, GraysByTheJobsSelection)
{
    std::vector<bool> gray;
    PopupMenuDriver driver([&](const ShownMenu& menu) {
        for (UINT command = 1; command <= 17; ++command) gray.push_back(IsGrayed(menu.menu, kPopupId + command));
        return L'\0';
    });
    auto job = NewJob(7);
    job->request.fileCount = 2;
    job->request.selection.Insert(L"C:\\a.txt");
    job->request.mode = RunOptionsPopup(owner_, job->request);
    EXPECT_EQ(job->request.mode, 0);
    using ::testing::ElementsAre;
    EXPECT_THAT(gray, ElementsAre(false, true, true, true, false, false, false, false, false, false, false, false,
                                  false, false, false, false, false));
}

TEST_F(OptionsPopup, TheChecksumCommandsAreChosenThereLikeCopyCommands)
{
    // And the names without extension, a copy command of a later number.
    for (const auto& [key, command] : {std::pair{L'k', 16}, std::pair{L'v', 17}, std::pair{L'e', 27}}) {
        PopupMenuDriver driver([key](const ShownMenu&) { return key; });
        auto job = NewJob(12);
        EXPECT_EQ(RunOptionsPopup(owner_, job->request), command);
    }
}

TEST_F(OptionsPopup, TheNestedPathFormsShowTheChoiceAndOneLineIsToggledThere)
{
    struct Round {
        bool wsl, windows, noQuotes, oneLine;
    };
    std::vector<Round> rounds;
    PopupMenuDriver driver([&](const ShownMenu& menu) {
        rounds.push_back({IsChecked(menu.menu, kPopupId + 21), IsChecked(menu.menu, kPopupId + 18),
                          IsChecked(menu.menu, kPopupId + 23), IsChecked(menu.menu, kPopupId + 26)});
        // パスの形式(&P), then in it 1 行にまとめる(&L); then Escape.
        return std::wstring(rounds.size() == 1 ? L"pl" : L"");
    });
    ComPtr<LumbrixMenu> handler = NewHandler();
    CMINVOKECOMMANDINFO info = Invocation(21); // WSL, from the context menu
    ASSERT_EQ(handler->InvokeCommand(&info), S_OK);
    ASSERT_EQ(rounds.size(), 2u);
    EXPECT_TRUE(rounds[0].wsl && !rounds[0].windows && rounds[0].noQuotes && !rounds[0].oneLine);
    EXPECT_TRUE(rounds[1].wsl && rounds[1].oneLine);
    EXPECT_EQ(StoredOption(SingleLine), 1u);
    EXPECT_EQ(handler->options.pathStyle, PathStyle::Wsl);
}

} // namespace
} // namespace lumbrix::test
