#pragma once
// The window class "Lumbrix64_Progress", its window procedure and the
// creation of one progress window with its bar and Cancel button.

#include <windows.h>

namespace lumbrix {

struct CopyJob;

// Registers the class once per process; a failure other than "already
// registered" is shown to the user and gives false.
bool RegisterProgressWindowClass() noexcept;

// Creates the hidden window for job, owned by job.ownerWindow; null on failure.
HWND CreateProgressWindow(CopyJob& job) noexcept;

} // namespace lumbrix
