#pragma once
// WM_PAINT of the progress window: both text lines through an off-screen bitmap.

#include <windows.h>

namespace lumbrix {

struct JobProgress;

// Paints the whole client area at once, so the 120 ms refresh does not flicker.
void PaintProgressWindow(HWND window, const JobProgress& progress) noexcept;

} // namespace lumbrix
