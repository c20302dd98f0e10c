#pragma once
// Sizes, identifiers and timers of the progress window. Sizes are pixels at
// 96 DPI; the window scales them to its own DPI.

#include <windows.h>

namespace lumbrix {

inline constexpr int kProgressClientWidth = 600;
inline constexpr int kProgressClientHeight = 84;
inline constexpr DWORD kProgressStyle = WS_POPUP | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU;
inline constexpr DWORD kProgressFrameStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
inline constexpr DWORD kProgressExStyle = WS_EX_APPWINDOW;
inline constexpr UINT kProgressClassStyle = CS_HREDRAW | CS_VREDRAW | CS_NOCLOSE;

inline constexpr int kProgressBarId = 112;
inline constexpr int kCancelButtonId = 113;

inline constexpr UINT_PTR kShowTimerId = 100;
inline constexpr UINT kShowDelayMs = 1600;
inline constexpr UINT_PTR kRefreshTimerId = 101;
inline constexpr UINT kRefreshPeriodMs = 120;
inline constexpr UINT_PTR kLingerTimerId = 102; // the cancelled title's last second
inline constexpr UINT kLingerMs = 1000;

inline constexpr int kTextLeft = 6;
inline constexpr int kStatusTextTop = 6;
inline constexpr int kDetailTextTop = 32;
inline constexpr int kBarLeft = 6;
inline constexpr int kBarTop = 58;
inline constexpr int kBarRightGap = 94; // from the bar's right end to the client's
inline constexpr int kBarHeight = 20;
inline constexpr int kButtonRightGap = 6;
inline constexpr int kButtonTop = 6;
inline constexpr int kButtonWidth = 88;
inline constexpr int kButtonHeight = 32;

inline constexpr wchar_t kProgressTitle[] = L"Lumbrix64";

} // namespace lumbrix
