#include "progress/elapsed_title.h"

#include "common/text_format.h"
#include "progress/progress_layout.h"

#include <cwchar>

namespace lumbrix {

void FormatElapsedTitle(wchar_t* out, std::size_t capacity, DWORD now, DWORD startTick) noexcept
{
    if (capacity == 0) return;
    const DWORD elapsedMs = now - startTick;
    // %ls rather than %s: the wide printf family reads %s differently per runtime.
    if (std::swprintf(out, capacity, FormatText(IDS_PROGRESS_ELAPSED, L"%ls: %0.2f"), kProgressTitle,
                      static_cast<double>(elapsedMs) / 1000.0) < 0)
        out[0] = 0;
}

void FormatCancelledTitle(wchar_t* out, std::size_t capacity) noexcept
{
    if (capacity == 0) return;
    if (std::swprintf(out, capacity, FormatText(IDS_PROGRESS_CANCELLED, L"%ls"), kProgressTitle) < 0) out[0] = 0;
}

void SetWindowTextIfChanged(HWND window, const wchar_t* text) noexcept
{
    wchar_t current[32768];
    if (::GetWindowTextW(window, current, 32768) == 0) current[0] = 0;
    if (::lstrcmpW(current, text) != 0) ::SetWindowTextW(window, text);
}

} // namespace lumbrix
