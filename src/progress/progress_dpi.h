#pragma once
// The progress window's DPI and what follows from it. The per-monitor
// functions of Windows 10 1607 are looked up in user32 at run time, so that
// the DLL still loads on older systems; there the system DPI serves.

#include <windows.h>

namespace lumbrix {

inline constexpr UINT kBaseDpi = 96; // the DPI the layout's numbers are written for

inline int ScaleForDpi(int value, UINT dpi) noexcept
{
    return ::MulDiv(value, static_cast<int>(dpi), static_cast<int>(kBaseDpi));
}

// LOGPIXELSY of the screen.
UINT SystemDpi() noexcept;
// The DPI the window is drawn at; the system DPI where the system cannot say.
UINT WindowDpi(HWND window) noexcept;
// The outer size of a window of that style whose client area is width x height at dpi.
SIZE FrameSizeForClient(int width, int height, DWORD style, DWORD exStyle, UINT dpi) noexcept;
// The system's message font at dpi, or the stock DEFAULT_GUI_FONT.
HFONT CreateMessageFont(UINT dpi) noexcept;

} // namespace lumbrix
