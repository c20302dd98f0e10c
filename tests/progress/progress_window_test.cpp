// The progress window as the user sees it: when it appears, what it shows,
// how the worker's messages drive it, and how Cancel ends a job.

#include "common/unique_any.h"
#include "owner_window.h"
#include "progress/elapsed_title.h"
#include "progress_fixture.h"
#include "support/display_language.h"
#include "window_capture.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cwctype>

namespace lumbrix::test {
namespace {

const std::wstring kCancelledTitle =
    InDisplayLanguage(L"Lumbrix64: キャンセルされました。", L"Lumbrix64: Cancelled.");
constexpr int kBarId = 112;
constexpr int kCancelId = 113;

// "Lumbrix64: 1.23 秒経過" (or "... seconds elapsed") and the seconds it states.
bool ParseElapsedTitle(const std::wstring& title, double& seconds)
{
    const std::wstring prefix = L"Lumbrix64: ";
    const std::wstring suffix = InDisplayLanguage(L" 秒経過", L" seconds elapsed");
    if (title.rfind(prefix, 0) != 0 || title.size() < prefix.size() + suffix.size() + 4) return false;
    if (title.compare(title.size() - suffix.size(), suffix.size(), suffix) != 0) return false;
    const std::wstring number = title.substr(prefix.size(), title.size() - prefix.size() - suffix.size());
    const std::size_t dot = number.find(L'.');
    if (dot == std::wstring::npos || dot == 0 || number.size() - dot != 3) return false;
    for (std::size_t i = 0; i < number.size(); ++i)
        if (i != dot && !std::iswdigit(number[i])) return false;
    seconds = std::wcstod(number.c_str(), nullptr);
    return true;
}

void ClickCancel(HWND window)
{
    ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(kCancelId, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(window, kCancelId)));
}

// Whether the window's thread answers a sent message within a moment.
bool Answers(HWND window)
{
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 300, &result) != 0;
}

// Keystrokes go to the owner: it is the foreground window, its thread's active and focus window.
bool OwnerHasTheKeyboard(HWND owner)
{
    GUITHREADINFO info = {sizeof(info)};
    return ::GetGUIThreadInfo(::GetWindowThreadProcessId(owner, nullptr), &info) && info.hwndFocus == owner &&
           info.hwndActive == owner && ::GetForegroundWindow() == owner;
}

// The tick at which the watched window was first shown, taken on its own
// thread as WM_SHOWWINDOW arrives there.
std::atomic<HWND> watchedWindow{nullptr};
std::atomic<DWORD> shownAt{0};

LRESULT CALLBACK RecordFirstShow(int code, WPARAM wParam, LPARAM lParam)
{
    const auto& sent = *reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && sent.message == WM_SHOWWINDOW && sent.wParam && sent.hwnd == watchedWindow.load()) {
        DWORD none = 0;
        shownAt.compare_exchange_strong(none, ::GetTickCount());
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(ProgressWindow, StaysHiddenForTheFirstSecondsThenAppearsWithoutTakingTheFocus)
{
    OwnerWindow owner({100, 100, 900, 700});
    ASSERT_TRUE(OwnerHasTheKeyboard(owner.get()));
    auto progress = NewProgress(owner.get());
    ASSERT_EQ(StartProgressWindow(*progress), S_OK);
    const HWND window = progress->window.load();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(::IsWindowVisible(window));
    watchedWindow = window;
    shownAt = 0;
    const HHOOK hook =
        ::SetWindowsHookExW(WH_CALLWNDPROC, RecordFirstShow, nullptr, ::GetWindowThreadProcessId(window, nullptr));
    ASSERT_NE(hook, nullptr);
    // Hidden still, unless this thread lost the processor for the whole delay.
    const bool watchedFromHidden = !::IsWindowVisible(window);
    ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(window) != FALSE; }));
    ::UnhookWindowsHookEx(hook);
    if (watchedFromHidden) {
        ASSERT_NE(shownAt.load(), 0u);
        // Measured from the window's creation: a short job never shows its window.
        EXPECT_GE(shownAt.load() - progress->startTick, 1550u);
    }
    ASSERT_TRUE(Answers(window)) << "the showing has finished";
    EXPECT_TRUE(OwnerHasTheKeyboard(owner.get())) << "the user may be typing a file name there";
}

TEST(ProgressWindow, HasItsClassOwnerFrameAndControls)
{
    OwnerWindow owner({100, 100, 900, 700});
    auto progress = NewProgress(owner.get());
    ASSERT_EQ(StartProgressWindow(*progress), S_OK);
    const HWND window = progress->window.load();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(ClassOf(window), L"Lumbrix64_Progress");
    EXPECT_EQ(::GetWindow(window, GW_OWNER), owner.get());
    EXPECT_EQ(static_cast<DWORD>(::GetWindowLongW(window, GWL_STYLE)) & 0x82C80000u, 0x82C80000u);
    EXPECT_TRUE(::GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_APPWINDOW);
    EXPECT_EQ(::GetClassLongW(window, GCL_STYLE), static_cast<DWORD>(CS_HREDRAW | CS_VREDRAW | CS_NOCLOSE));

    const RECT frame = WindowRect(window);
    RECT client = {};
    ::GetClientRect(window, &client);
    EXPECT_EQ(frame.right - frame.left, 600);
    EXPECT_EQ(client.bottom, 84);

    const HWND bar = ::GetDlgItem(window, kBarId);
    ASSERT_NE(bar, nullptr) << "the progress bar class must exist";
    EXPECT_NE(ClassOf(bar).find(L"msctls_progress32"), std::wstring::npos) << "class " << ClassOf(bar).size();
    const RECT barRect = ChildRect(window, kBarId);
    EXPECT_EQ(barRect.left, 6);
    EXPECT_EQ(barRect.top, 58);
    EXPECT_EQ(barRect.right - barRect.left, client.right - 100);
    EXPECT_EQ(barRect.bottom - barRect.top, 20);

    const HWND button = ::GetDlgItem(window, kCancelId);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(TextOf(button), InDisplayLanguage(L"キャンセル", L"Cancel"));
    const RECT buttonRect = ChildRect(window, kCancelId);
    EXPECT_EQ(buttonRect.left, client.right - 94);
    EXPECT_EQ(buttonRect.top, 6);
    EXPECT_EQ(buttonRect.right - buttonRect.left, 88);
    EXPECT_EQ(buttonRect.bottom - buttonRect.top, 32);
    EXPECT_NE(::SendMessageW(button, WM_GETFONT, 0, 0), 0) << "the button uses the message font";
}

TEST(ProgressWindow, TitleCountsTheSecondsWithTwoDecimals)
{
    auto progress = NewProgress();
    const DWORD start = ::GetTickCount();
    ASSERT_EQ(StartProgressWindow(*progress), S_OK);
    const HWND window = progress->window.load();
    double seconds = -1;
    std::wstring title;
    ASSERT_TRUE(WaitFor([&] {
        title = TextOf(window);
        return ParseElapsedTitle(title, seconds) && seconds > 0.4;
    })) << "title has " << title.size() << " units";
    EXPECT_LE(seconds, (::GetTickCount() - start) / 1000.0 + 0.01);
}

TEST(ProgressWindow, BarFollowsTheRangeAndThePosition)
{
    auto progress = NewProgress();
    ASSERT_EQ(StartProgressWindow(*progress), S_OK);
    const HWND window = progress->window.load();
    const HWND bar = ::GetDlgItem(window, kBarId);
    PostProgressMessage(*progress, WM_PROGRESS_SETRANGE, 10);
    progress->SetPosition(4);
    SendProgressMessage(*progress, WM_PROGRESS_UPDATE);
    // The window's thread handles the sent update before the posted range when both wait.
    EXPECT_TRUE(WaitFor([&] { return ::SendMessageW(bar, PBM_GETRANGE, FALSE, 0) == 10; }));
    EXPECT_EQ(::SendMessageW(bar, PBM_GETPOS, 0, 0), 4);

    // Without a message the refresh timer moves the bar too.
    progress->SetPosition(7);
    EXPECT_TRUE(WaitFor([&] { return ::SendMessageW(bar, PBM_GETPOS, 0, 0) == 7; }));

    // A range beyond what the bar can hold is shown clamped, not wrapped.
    SendProgressMessage(*progress, WM_PROGRESS_SETRANGE, static_cast<WPARAM>(0x100000005ull));
    EXPECT_EQ(::SendMessageW(bar, PBM_GETRANGE, FALSE, 0), 0x7FFFFFFF);
}

TEST(ProgressWindow, StopTimerFreezesTheTitleAndRestartResumesIt)
{
    auto progress = NewProgress();
    ASSERT_EQ(StartProgressWindow(*progress), S_OK);
    const HWND window = progress->window.load();
    double seconds = -1;
    ASSERT_TRUE(WaitFor([&] { return ParseElapsedTitle(TextOf(window), seconds); })) << "the timer has ticked";
    SendProgressMessage(*progress, WM_PROGRESS_STOPTIMER);
    const std::wstring frozen = TextOf(window);
    ::Sleep(500);
    EXPECT_EQ(TextOf(window), frozen);
    PostProgressMessage(*progress, WM_PROGRESS_RESTARTTIMER);
    EXPECT_TRUE(WaitFor([&] { return TextOf(window) != frozen; }));
}

TEST(ProgressWindow, ShowsTheTextsAndRedrawsOnUpdateWhileStopped)
{
    OwnerWindow owner({200, 200, 1000, 600});
    auto progress = NewProgress(owner.get());
    progress->StatusText().Set(L"テキストを生成しています");
    progress->DetailText().Set(L"(3/10) C:\\Users\\名前\\Documents\\報告書.txt");
    ASSERT_EQ(StartProgressWindow(*progress), S_OK);
    const HWND window = progress->window.load();
    PostProgressMessage(*progress, WM_PROGRESS_SETRANGE, 10);
    progress->SetPosition(3);
    ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(window) != FALSE; }));
    ::Sleep(400); // a few refreshes, for the screenshot
    SaveWindowBitmap(window, ScreenshotFolder() + L"\\progress.bmp");

    // The worker's completion: the timer stops, the texts change, one update.
    SendProgressMessage(*progress, WM_PROGRESS_STOPTIMER);
    progress->StatusText().Clear();
    progress->DetailText().Clear();
    SendProgressMessage(*progress, WM_PROGRESS_UPDATE);
    ::Sleep(300);
    const auto blank = CaptureClient(window);
    progress->StatusText().Set(L"完了");
    ::Sleep(400);
    EXPECT_TRUE(CaptureClient(window) == blank) << "no redraw without the timer or an update";
    SendProgressMessage(*progress, WM_PROGRESS_UPDATE);
    EXPECT_TRUE(WaitFor([&] { return !(CaptureClient(window) == blank); })) << "the update draws the new text";
    SaveWindowBitmap(window, ScreenshotFolder() + L"\\progress-done.bmp");
}

TEST(ProgressWindow, CancelShowsItsTitleForASecondThenClosesTheWindow)
{
    auto progress = NewProgress();
    ASSERT_EQ(StartProgressWindow(*progress), S_OK);
    const HWND window = progress->window.load();
    ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(window) != FALSE; }));
    const DWORD clicked = ::GetTickCount();
    ClickCancel(window);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindowEnabled(window); })) << "disabled for its last second";
    EXPECT_EQ(TextOf(window), kCancelledTitle);
    EXPECT_FALSE(progress->IsRunning());
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(window, kCancelId)));
    SaveWindowBitmap(window, ScreenshotFolder() + L"\\progress-cancelled.bmp");
    EXPECT_TRUE(Answers(window)) << "the thread does not sleep through the second";
    EXPECT_EQ(TextOf(window), kCancelledTitle) << "answered while the title still shows";
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(window); }));
    EXPECT_GE(::GetTickCount() - clicked, 950u);
    CloseProgressWindow(*progress);
    EXPECT_FALSE(progress->thread);
}

TEST(ProgressWindow, WorkerClosingRightAfterCancelLetsTheSecondRunOut)
{
    auto progress = NewProgress();
    ASSERT_EQ(StartProgressWindow(*progress), S_OK);
    const HWND window = progress->window.load();
    ::ShowWindow(window, SW_SHOWNOACTIVATE);
    const DWORD clicked = ::GetTickCount();
    ClickCancel(window);
    ASSERT_TRUE(WaitFor([&] { return !progress->IsRunning(); }));
    CloseProgressWindow(*progress); // what the worker does as soon as it sees the cancel
    EXPECT_GE(::GetTickCount() - clicked, 950u);
    EXPECT_FALSE(::IsWindow(window));
}

TEST(ProgressWindow, CancelClickAfterTheWorkerStoppedChangesNothing)
{
    auto progress = NewProgress();
    ASSERT_EQ(StartProgressWindow(*progress), S_OK);
    const HWND window = progress->window.load();
    progress->Stop();
    // Sent, so it reaches the window procedure whatever the loop does with
    // posted messages meanwhile (it tears the window down), and has been
    // handled when the call returns.
    ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(kCancelId, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(window, kCancelId)));
    EXPECT_FALSE(progress->lingering) << "no one-second pause";
    EXPECT_NE(TextOf(window), kCancelledTitle);
}

TEST(ProgressWindow, RunningClearedElsewhereTearsTheWindowDown)
{
    auto progress = NewProgress();
    ASSERT_EQ(StartProgressWindow(*progress), S_OK);
    const HWND window = progress->window.load();
    progress->Stop();
    EXPECT_TRUE(WaitFor([&] { return !::IsWindow(window); })) << "the next refresh destroys it";
}

TEST(ProgressWindow, DestroyingTheWindowCancelsTheJob)
{
    auto progress = NewProgress();
    ASSERT_EQ(StartProgressWindow(*progress), S_OK);
    ::PostMessageW(progress->window.load(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return !progress->IsRunning(); }));
}

TEST(ProgressWindow, TwoJobsEachHaveTheirOwnWindowAndThread)
{
    auto first = NewProgress();
    auto second = NewProgress();
    ASSERT_EQ(StartProgressWindow(*first), S_OK);
    ASSERT_EQ(StartProgressWindow(*second), S_OK);
    const HWND a = first->window.load();
    const HWND b = second->window.load();
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    EXPECT_NE(::GetWindowThreadProcessId(a, nullptr), ::GetWindowThreadProcessId(b, nullptr));
    CloseProgressWindow(*first);
    EXPECT_FALSE(::IsWindow(a));
    EXPECT_TRUE(::IsWindow(b)) << "closing one job leaves the other";
    EXPECT_TRUE(second->IsRunning());
}

TEST(ProgressWindow, OwnerCannotBeClosedByItsCaptionWhileTheJobRuns)
{
    OwnerWindow owner({100, 100, 500, 400});
    const HMENU menu = ::GetSystemMenu(owner.get(), FALSE);
    ASSERT_NE(menu, nullptr);
    auto progress = NewProgress(owner.get());
    ASSERT_EQ(StartProgressWindow(*progress), S_OK);
    EXPECT_TRUE(::GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND) & MF_DISABLED);
    CloseProgressWindow(*progress);
    EXPECT_FALSE(::GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND) & MF_DISABLED);
}

// Refuses the creation of progress windows, on every thread of this process.
LRESULT CALLBACK RefuseProgressWindows(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND) {
        const CREATESTRUCTW& create = *reinterpret_cast<const CBT_CREATEWNDW*>(lParam)->lpcs;
        if (!IS_INTRESOURCE(create.lpszClass) && ::lstrcmpW(create.lpszClass, L"Lumbrix64_Progress") == 0) return 1;
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(ProgressWindow, WorkerGoesOnWhenTheWindowCannotBeCreated)
{
    const HHOOK hook = ::SetWindowsHookExW(WH_CBT, RefuseProgressWindows, ::GetModuleHandleW(nullptr), 0);
    ASSERT_NE(hook, nullptr);
    OwnerWindow owner({100, 100, 500, 400});
    const HMENU menu = ::GetSystemMenu(owner.get(), FALSE);
    auto progress = NewProgress(owner.get());
    EXPECT_EQ(StartProgressWindow(*progress), S_FALSE) << "no window, and nothing to tell the user";
    ::UnhookWindowsHookEx(hook);
    EXPECT_EQ(progress->window.load(), nullptr);
    EXPECT_TRUE(progress->thread) << "kept for CloseProgressWindow to join";
    EXPECT_FALSE(::GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND) & MF_DISABLED) << "the owner's Close item is back";
    SendProgressMessage(*progress, WM_PROGRESS_UPDATE); // goes nowhere
    CloseProgressWindow(*progress);
    EXPECT_FALSE(progress->thread);
}

TEST(ProgressWindow, AWindowOfAnotherProgramIsNeitherOwnerNorChanged)
{
    STARTUPINFOW startup{sizeof startup};
    PROCESS_INFORMATION process{};
    wchar_t command[] = L"notepad.exe";
    ASSERT_TRUE(::CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
    const UniqueHandle notepad(process.hProcess);
    ::CloseHandle(process.hThread);
    HWND other = nullptr;
    EXPECT_TRUE(WaitFor([&] {
        other = ::FindWindowW(L"Notepad", nullptr);
        return other != nullptr;
    }));
    if (other) {
        auto progress = NewProgress(other);
        ASSERT_EQ(StartProgressWindow(*progress), S_OK);
        EXPECT_EQ(::GetWindow(progress->window.load(), GW_OWNER), nullptr);
        CloseProgressWindow(*progress);
    }
    ::TerminateProcess(notepad.get(), 0);
    ::WaitForSingleObject(notepad.get(), 10000);
}

TEST(ElapsedTitle, StatesSecondsWithTwoDecimalsAcrossTheTickCounterWrap)
{
    wchar_t title[64];
    FormatElapsedTitle(title, 64, 1000 + 1234, 1000);
    EXPECT_STREQ(title, InDisplayLanguage(L"Lumbrix64: 1.23 秒経過", L"Lumbrix64: 1.23 seconds elapsed"));
    FormatElapsedTitle(title, 64, 0x00000800u, 0xFFFFF000u); // 6144 ms across the wrap
    EXPECT_STREQ(title, InDisplayLanguage(L"Lumbrix64: 6.14 秒経過", L"Lumbrix64: 6.14 seconds elapsed"));
}

} // namespace
} // namespace lumbrix::test
