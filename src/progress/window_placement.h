#pragma once
// Where the progress window sits.

#include <windows.h>

namespace lumbrix {

// Centres window over reference (the work area when null), one third down,
// keeping its size; never activates it.
void PlaceOverWindow(HWND window, HWND reference) noexcept;

} // namespace lumbrix
