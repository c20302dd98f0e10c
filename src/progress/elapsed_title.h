#pragma once
// The progress window's title: the product name and the seconds elapsed.

#include <windows.h>

#include <cstddef>

namespace lumbrix {

// Writes "Lumbrix64: 1.23 秒経過" for the time from startTick to now; the
// unsigned difference stays right when the tick counter wraps.
void FormatElapsedTitle(wchar_t* out, std::size_t capacity, DWORD now, DWORD startTick) noexcept;

} // namespace lumbrix
