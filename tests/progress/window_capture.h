#pragma once
// What a window shows on the screen: its client pixels, and a picture file of
// it for a person to look at.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace lumbrix::test {

// The client area's pixels as the screen shows them (0x00RRGGBB).
std::vector<std::uint32_t> CaptureClient(HWND window);

// Writes the whole window as a 24-bit .bmp file; false on failure.
bool SaveWindowBitmap(HWND window, const std::wstring& path);

// <build folder>\screenshots, created when missing.
std::wstring ScreenshotFolder();

} // namespace lumbrix::test
