// Nothing of a progress window outlives its job: threads, handles, the font,
// the painting's device contexts and bitmaps.

#include "progress_fixture.h"
#include "support/process_census.h"

#include <gtest/gtest.h>

namespace lumbrix::test {
namespace {

struct ResourceCounts {
    std::size_t handles = 0;
    std::size_t gdiObjects = 0;
    std::size_t userObjects = 0; // Wine keeps no count of these: 0 there
};

ResourceCounts Count()
{
    return {KernelHandleCount(), GdiObjectCount(), ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS)};
}

// One job's window, shown and painted a few times, then closed.
void OneCycle(HFONT* fontSeen = nullptr)
{
    auto progress = NewProgress();
    progress->StatusText().Set(L"テキストを生成しています");
    progress->DetailText().Set(L"(1/1) C:\\file.txt");
    ASSERT_EQ(StartProgressWindow(*progress), S_OK);
    const HWND window = progress->window.load();
    ASSERT_NE(window, nullptr);
    ::ShowWindow(window, SW_SHOWNOACTIVATE);
    for (int i = 0; i < 3; ++i) {
        SendProgressMessage(*progress, WM_PROGRESS_UPDATE);
        ::UpdateWindow(window);
    }
    if (fontSeen) *fontSeen = progress->font.get();
    CloseProgressWindow(*progress);
    EXPECT_FALSE(progress->thread);
    EXPECT_FALSE(progress->font) << "the font goes with the window";
}

TEST(ProgressHygiene, ManyWindowsLeaveTheProcessAsTheyFoundIt)
{
    OneCycle(); // first use registers the class and loads the controls
    OneCycle();
    const ResourceCounts before = Count();
    ASSERT_GT(before.handles, 0u) << "no way to count handles here";
    ASSERT_GT(before.gdiObjects, 0u) << "no way to count GDI objects here";
    const HBRUSH probe = ::CreateSolidBrush(RGB(1, 2, 3));
    ASSERT_EQ(GdiObjectCount(), before.gdiObjects + 1) << "the count sees a single new object";
    ::DeleteObject(probe);
    for (int cycle = 0; cycle < 25; ++cycle) OneCycle();
    const ResourceCounts after = Count();
    EXPECT_EQ(after.handles, before.handles);
    EXPECT_EQ(after.gdiObjects, before.gdiObjects);
    EXPECT_EQ(after.userObjects, before.userObjects);
    std::printf("after 25 windows: handles %zu, GDI objects %zu, USER objects %zu\n", after.handles,
                after.gdiObjects, after.userObjects);
}

TEST(ProgressHygiene, TheFontIsDeletedWhenTheWindowCloses)
{
    HFONT font = nullptr;
    OneCycle(&font);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(::GetObjectType(font), 0u) << "deleted";
}

} // namespace
} // namespace lumbrix::test
