// Where the progress window sits: centred over its owner (or the work area),
// one third of the free height down, with truncating arithmetic.

#include "owner_window.h"
#include "progress/elapsed_title.h"
#include "progress/window_placement.h"
#include "progress_fixture.h"

#include <gtest/gtest.h>

namespace lumbrix::test {
namespace {

HWND PlainWindow(int x, int y, int width, int height)
{
    return ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, x, y, width, height, nullptr, nullptr, nullptr, nullptr);
}

TEST(WindowPlacement, WindowLargerThanItsReferenceSitsAboveAndLeftOfIt)
{
    const HWND reference = PlainWindow(300, 300, 200, 100);
    const HWND window = PlainWindow(0, 0, 401, 401);
    PlaceOverWindow(window, reference);
    const RECT rect = WindowRect(window);
    // (200 - 401) / 2 = -100 and (100 - 401) / 3 = -100: truncated toward zero.
    EXPECT_EQ(rect.left, 200);
    EXPECT_EQ(rect.top, 200);
    ::DestroyWindow(window);
    ::DestroyWindow(reference);
}

TEST(WindowPlacement, ProgressWindowWithoutOwnerSitsOverTheWorkArea)
{
    RECT work = {};
    ASSERT_TRUE(::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
    auto progress = NewProgress();
    ASSERT_EQ(StartProgressWindow(*progress), S_OK);
    const RECT rect = WindowRect(progress->window.load());
    EXPECT_EQ(rect.left, work.left + (work.right - work.left - (rect.right - rect.left)) / 2);
    EXPECT_EQ(rect.top, work.top + (work.bottom - work.top - (rect.bottom - rect.top)) / 3);
}

TEST(WindowPlacement, ProgressWindowSitsOverItsOwner)
{
    OwnerWindow owner({140, 120, 1040, 820});
    auto progress = NewProgress(owner.get());
    ASSERT_EQ(StartProgressWindow(*progress), S_OK);
    const RECT ownerRect = WindowRect(owner.get());
    const RECT rect = WindowRect(progress->window.load());
    EXPECT_EQ(rect.left, ownerRect.left + (ownerRect.right - ownerRect.left - (rect.right - rect.left)) / 2);
    EXPECT_EQ(rect.top, ownerRect.top + (ownerRect.bottom - ownerRect.top - (rect.bottom - rect.top)) / 3);
}

int setTextCount = 0;
WNDPROC plainProcedure = nullptr;

LRESULT CALLBACK CountingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SETTEXT) ++setTextCount;
    return ::CallWindowProcW(plainProcedure, window, message, wParam, lParam);
}

TEST(WindowText, IsSetOnlyWhenItDiffers)
{
    const HWND window = PlainWindow(0, 0, 50, 50);
    plainProcedure = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingProcedure)));
    setTextCount = 0;
    SetWindowTextIfChanged(window, L"Lumbrix64: 1.00 秒経過");
    SetWindowTextIfChanged(window, L"Lumbrix64: 1.00 秒経過");
    EXPECT_EQ(setTextCount, 1) << "an unchanged caption is left alone";
    SetWindowTextIfChanged(window, L"Lumbrix64: 1.12 秒経過");
    EXPECT_EQ(setTextCount, 2);
    EXPECT_EQ(TextOf(window), L"Lumbrix64: 1.12 秒経過");
    ::DestroyWindow(window);
}

} // namespace
} // namespace lumbrix::test
