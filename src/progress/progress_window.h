#pragma once
// The per-job progress window on a thread of its own.

#include "progress/progress_messages.h"

#include <windows.h>

namespace lumbrix {

struct JobProgress;

inline constexpr wchar_t kProgressWindowClass[] = L"Lumbrix64_Progress";

// Starts the window thread and waits until the window exists or the thread
// has ended without one.
void StartProgressWindow(JobProgress& progress) noexcept;
// Clears running, closes the window, joins its thread, restores the foreground.
void CloseProgressWindow(JobProgress& progress) noexcept;

// Centres window over reference (the work area when null), one third down.
void PlaceOverWindow(HWND window, HWND reference) noexcept;
// Sets the window text only when it differs from the current one.
void SetWindowTextIfChanged(HWND window, const wchar_t* text) noexcept;

// Sends (waits) or posts one of the private messages; nothing happens without a window.
void SendProgressMessage(JobProgress& progress, UINT message, WPARAM wParam = 0) noexcept;
void PostProgressMessage(JobProgress& progress, UINT message, WPARAM wParam = 0) noexcept;

} // namespace lumbrix
