#pragma once
// WM_PAINT of the progress window: both text lines through an off-screen bitmap.

#include <windows.h>

namespace lumbrix {

class ProgressWindow;

// Paints the whole client area at once, so the 120 ms refresh does not flicker.
void PaintProgressWindow(HWND window, const ProgressWindow& progress) noexcept;

} // namespace lumbrix
