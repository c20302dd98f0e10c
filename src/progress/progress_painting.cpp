#include "progress/progress_painting.h"

#include "common/unique_any.h"
#include "progress/progress_dpi.h"
#include "progress/progress_layout.h"
#include "progress/progress_window.h"

namespace lumbrix {
namespace {

// The worker may rewrite the text meanwhile: a copy may be torn, never overrun.
void DrawTextLine(HDC dc, int x, int y, const ProgressText& text) noexcept
{
    wchar_t units[ProgressText::kCapacity];
    const std::size_t length = text.Snapshot(units, ProgressText::kCapacity);
    ::TextOutW(dc, x, y, units, static_cast<int>(length));
}

void PaintOffscreen(HDC target, int width, int height, const ProgressWindow& progress) noexcept
{
    UniqueMemoryDc memory(::CreateCompatibleDC(target));
    if (!memory) return;
    // One pixel more each way: Rectangle without a pen leaves out the right and bottom edges.
    UniqueBitmap bitmap(::CreateCompatibleBitmap(target, width + 1, height + 1));
    if (!bitmap) return;
    const HDC dc = memory.get();
    ScopedSelection bitmapSelection(dc, bitmap.get());
    ScopedSelection penSelection(dc, ::GetStockObject(NULL_PEN));
    ScopedSelection brushSelection(dc, ::GetSysColorBrush(COLOR_BTNFACE));
    ScopedSelection fontSelection(dc, progress.font.get());
    ::Rectangle(dc, 0, 0, width + 1, height + 1);
    ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
    ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
    const int left = ScaleForDpi(kTextLeft, progress.dpi);
    DrawTextLine(dc, left, ScaleForDpi(kStatusTextTop, progress.dpi), progress.StatusText());
    DrawTextLine(dc, left, ScaleForDpi(kDetailTextTop, progress.dpi), progress.DetailText());
    ::BitBlt(target, 0, 0, width, height, dc, 0, 0, SRCCOPY);
}

} // namespace

void PaintProgressWindow(HWND window, const ProgressWindow& progress) noexcept
{
    PAINTSTRUCT paint;
    const HDC target = ::BeginPaint(window, &paint);
    if (!target) return;
    RECT client = {};
    ::GetClientRect(window, &client);
    PaintOffscreen(target, client.right, client.bottom, progress);
    ::EndPaint(window, &paint);
}

} // namespace lumbrix
