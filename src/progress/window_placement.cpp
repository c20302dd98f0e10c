#include "progress/window_placement.h"

namespace lumbrix {

void PlaceOverWindow(HWND window, HWND reference) noexcept
{
    RECT own = {};
    if (!::GetWindowRect(window, &own)) return;
    RECT area = {};
    if (!reference || !::GetWindowRect(reference, &area))
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    const int width = own.right - own.left;
    const int height = own.bottom - own.top;
    // Truncating division: a window taller than its reference sits above its top.
    const int x = area.left + (area.right - area.left - width) / 2;
    const int y = area.top + (area.bottom - area.top - height) / 3;
    // Never activated by a move: the user may be typing in the owner.
    ::SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}

} // namespace lumbrix
