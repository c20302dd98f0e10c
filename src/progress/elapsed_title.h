#pragma once
// The progress window's title: the product name and the seconds elapsed.

#include <windows.h>

#include <cstddef>

namespace lumbrix {

// Writes the title with the seconds from startTick to now ("Lumbrix64: 1.23"
// and the words of the display language); the unsigned difference stays right
// when the tick counter wraps.
void FormatElapsedTitle(wchar_t* out, std::size_t capacity, DWORD now, DWORD startTick) noexcept;

// Writes the title of a cancelled copy.
void FormatCancelledTitle(wchar_t* out, std::size_t capacity) noexcept;

// Sets the window text only when it differs from the current one, so that
// the caption does not flicker on each refresh.
void SetWindowTextIfChanged(HWND window, const wchar_t* text) noexcept;

} // namespace lumbrix
