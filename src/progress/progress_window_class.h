#pragma once
// The window class "Lumbrix64_Progress", its window procedure and the
// creation of one progress window with its bar and Cancel button.

#include <windows.h>

namespace lumbrix {

struct JobProgress;

// Registers the class once per process; a failure other than "already
// registered" is shown to the user and gives false.
bool RegisterProgressWindowClass() noexcept;

// Removes the class when the module is unloaded, so that a later load of the
// module (at another address) can register it again. For the entry routine.
void UnregisterProgressWindowClass() noexcept;

// Creates the hidden window for progress, owned by progress.owner; null on failure.
HWND CreateProgressWindow(JobProgress& progress) noexcept;

// Lays the window out again when its DPI is no longer the one it was laid out
// for (moved to another monitor without WM_DPICHANGED); true when it did.
bool LayOutForWindowDpi(HWND window) noexcept;

} // namespace lumbrix
