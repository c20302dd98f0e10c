// The progress window at its monitor's DPI: 96 as it always was, 144 and 192
// scaled (run_at_dpi.sh), laid out again when it moves to another DPI.

// The per-monitor DPI functions are declared for Windows 10 and later only.
#undef WINVER
#define WINVER 0x0A00
#include <windows.h>

#include "common/text_table.h"
#include "progress_fixture.h"
#include "support/display_language.h"
#include "window_capture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

namespace lumbrix::test {
namespace {

constexpr int kBarId = 112;
constexpr int kCancelId = 113;

// As the file manager is, before any window exists (Wine makes every process so already).
const bool perMonitorAware = ::SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2) ||
                             ::GetAwarenessFromDpiAwarenessContext(::GetThreadDpiAwarenessContext()) ==
                                 DPI_AWARENESS_PER_MONITOR_AWARE;

// The first and last rows, left of the button and above the bar, of each run of rows with text pixels.
std::vector<int> InkRows(HWND window, const RECT& bar, const RECT& button)
{
    RECT client = {};
    ::GetClientRect(window, &client);
    const auto pixels = CaptureClient(window);
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    const std::uint32_t background = (GetRValue(face) << 16) | (GetGValue(face) << 8) | GetBValue(face);
    std::vector<int> edges;
    bool inside = false;
    for (int y = 0; y < bar.top; ++y) {
        const auto row = pixels.begin() + y * client.right;
        const bool ink = std::any_of(row, row + button.left, [&](std::uint32_t p) { return p != background; });
        if (ink != inside) edges.push_back(ink ? y : y - 1);
        inside = ink;
    }
    return edges;
}

// The width of text in the window's font.
int TextWidth(HDC dc, const std::wstring& text)
{
    SIZE size = {};
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

// Two text rows apart and above the bar, the message font at dpi, the button's
// caption inside it, and every step of the display language left of it.
void ExpectLaidOutFor(HWND window, UINT dpi)
{
    RECT client = {};
    ::GetClientRect(window, &client);
    const RECT bar = ChildRect(window, kBarId);
    const RECT button = ChildRect(window, kCancelId);
    EXPECT_TRUE(bar.right <= button.left && button.right <= client.right && bar.bottom <= client.bottom);

    NONCLIENTMETRICSW metrics = {sizeof(metrics)};
    ::SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi);
    const auto font = reinterpret_cast<HFONT>(::SendDlgItemMessageW(window, kCancelId, WM_GETFONT, 0, 0));
    LOGFONTW logFont = {};
    ASSERT_TRUE(::GetObjectW(font, sizeof(logFont), &logFont));
    EXPECT_EQ(logFont.lfHeight, metrics.lfMessageFont.lfHeight);
    const HDC dc = ::GetDC(window);
    ::SelectObject(dc, font);
    TEXTMETRICW textMetrics = {};
    ::GetTextMetricsW(dc, &textMetrics);
    const std::wstring caption = TextOf(::GetDlgItem(window, kCancelId));
    EXPECT_EQ(caption, InDisplayLanguage(L"キャンセル", L"Cancel"));
    EXPECT_LT(TextWidth(dc, caption), button.right - button.left);
    EXPECT_LT(textMetrics.tmHeight, button.bottom - button.top);
    const int left = bar.left; // the texts start where the bar does
    for (UINT step = IDS_STEP_SEARCHING; step <= IDS_STEP_DONE; ++step) {
        if (step == IDS_STEP_SEARCHING_ITEM) continue; // a path follows it, cut by the button as any long path
        EXPECT_LT(left + TextWidth(dc, Text(step)), button.left) << "step " << step << " at " << dpi << " DPI";
    }
    ::ReleaseDC(window, dc);

    std::vector<int> ink;
    WaitFor([&] { return (ink = InkRows(window, bar, button)).size() >= 4; }, 1000); // the screen catches up
    ASSERT_EQ(ink.size(), 4u) << "two text rows apart";
    // Both texts reach as high and as low, so their pixels lie as far apart as the rows.
    EXPECT_GE(std::min(ink[2] - ink[0], ink[3] - ink[1]), textMetrics.tmHeight) << "the rows do not overlap";
}

ProgressPointer ShownProgress()
{
    auto progress = NewProgress();
    progress->StatusText().Set(InDisplayLanguage(L"検索しています(1/2) C:\\Users\\名前\\Documents",
                                                 L"Searching (1/2) C:\\Users\\Name\\Documents"));
    progress->DetailText().Set(InDisplayLanguage(L"(3/10) C:\\Users\\名前\\Documents\\報告書.txt",
                                                 L"(3/10) C:\\Users\\Name\\Documents\\Report.txt"));
    EXPECT_EQ(StartProgressWindow(*progress), S_OK);
    ::ShowWindow(progress->window.load(), SW_SHOWNOACTIVATE); // not after the delay
    return progress;
}

TEST(ProgressDpi, WindowRowsBarAndButtonScaleWithTheDpi)
{
    ASSERT_TRUE(perMonitorAware);
    auto progress = ShownProgress();
    const HWND window = progress->window.load();
    const UINT dpi = ::GetDpiForWindow(window);
    wchar_t given[16] = L"0"; // the DPI that run_at_dpi.sh gave Wine, if it did
    ::GetEnvironmentVariableW(L"LUMBRIX_DPI", given, 16);
    EXPECT_TRUE(given[0] == L'0' || dpi == std::wcstoul(given, nullptr, 10)) << dpi;
    // The outer width (600 at 96 DPI) and the client height (84) scale.
    const RECT frame = WindowRect(window);
    RECT client = {};
    ::GetClientRect(window, &client);
    EXPECT_NEAR(frame.right - frame.left, 600 * dpi / 96.0, 1);
    EXPECT_NEAR(client.bottom, 84 * dpi / 96.0, 1);
    ExpectLaidOutFor(window, dpi);
    // For the picture: the bar a third along, and a few refreshes to draw it and the title.
    PostProgressMessage(*progress, WM_PROGRESS_SETRANGE, 10);
    progress->SetPosition(3);
    ::Sleep(400);
    SaveWindowBitmap(window, ScreenshotFolder() + L"\\progress-" + std::to_wstring(dpi) + L".bmp");
}

TEST(ProgressDpi, MoveToAMonitorOfAnotherDpiLaysTheWindowOutAgain)
{
    auto progress = ShownProgress();
    const HWND window = progress->window.load();
    const UINT dpi = ::GetDpiForWindow(window);
    const RECT frame = WindowRect(window);
    const RECT bar = ChildRect(window, kBarId);
    const auto oldFont = ::SendDlgItemMessageW(window, kCancelId, WM_GETFONT, 0, 0);
    // The rectangle the system suggests for twice the DPI, kept on the screen for the pixels.
    const RECT twice = {0, frame.top, 2 * (frame.right - frame.left), frame.top + 2 * (frame.bottom - frame.top)};
    ::SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(2 * dpi, 2 * dpi), reinterpret_cast<LPARAM>(&twice));
    const RECT moved = WindowRect(window);
    EXPECT_TRUE(::EqualRect(&moved, &twice));
    EXPECT_EQ(ChildRect(window, kBarId).bottom - ChildRect(window, kBarId).top, 2 * (bar.bottom - bar.top));
    EXPECT_EQ(::GetObjectType(reinterpret_cast<HGDIOBJ>(oldFont)), 0u) << "the old font is deleted";
    ExpectLaidOutFor(window, 2 * dpi);

    ::SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&frame));
    const RECT back = ChildRect(window, kBarId);
    EXPECT_TRUE(::EqualRect(&back, &bar)) << "the layout it had";
    ExpectLaidOutFor(window, dpi);
}

} // namespace
} // namespace lumbrix::test
