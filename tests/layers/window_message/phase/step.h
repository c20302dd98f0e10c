#pragma once
#include <windows.h>
inline void Step(HWND window) { ::PostMessageW(window, WM_USER + 1, 0, 0); } // the check must fail
