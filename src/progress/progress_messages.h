#pragma once
// The four private messages with which a worker drives its progress window.

#include <windows.h>

namespace lumbrix {

inline constexpr UINT WM_PROGRESS_SETRANGE = WM_USER + 1;     // wParam: end of the range
inline constexpr UINT WM_PROGRESS_UPDATE = WM_USER + 2;       // redraw texts and bar now
inline constexpr UINT WM_PROGRESS_STOPTIMER = WM_USER + 3;    // freeze the refresh timer
inline constexpr UINT WM_PROGRESS_RESTARTTIMER = WM_USER + 4; // start the refresh timer again

} // namespace lumbrix
