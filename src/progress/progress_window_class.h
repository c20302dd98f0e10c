#pragma once
// The window class "Lumbrix64_Progress", its window procedure and the
// creation of one progress window with its bar and Cancel button.

#include <windows.h>

namespace lumbrix {

class ProgressWindow;

// Registers the class once per process; S_OK when it exists afterwards, else
// the registration's error (for the worker to tell the user).
[[nodiscard]] HRESULT RegisterProgressWindowClass() noexcept;

// Removes the class when the module is unloaded, so that a later load of the
// module (at another address) can register it again. For the entry routine.
void UnregisterProgressWindowClass() noexcept;

// Creates the hidden window for progress, owned by owner; null on failure.
HWND CreateProgressWindow(ProgressWindow& progress, HWND owner) noexcept;

// Lays the window out again when its DPI is no longer the one it was laid out
// for (moved to another monitor without WM_DPICHANGED); true when it did.
bool LayOutForWindowDpi(HWND window) noexcept;

} // namespace lumbrix
