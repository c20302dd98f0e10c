#pragma once
// Every message box the user sees: caption "Lumbrix64", modal to owner (or to
// no window), blocking the calling thread until it is dismissed.

#include <windows.h>

#include <string>

namespace lumbrix {

// MessageBoxW with the product caption; returns the button chosen.
int ShowMessage(HWND owner, const wchar_t* text, UINT type) noexcept;

// The box for a failed Windows call: the system's text for code followed by
// "(%d)", no owner, the information icon.
void ReportSystemError(DWORD code) noexcept;

// The text that ReportSystemError shows for code.
std::wstring SystemErrorBoxText(DWORD code);

} // namespace lumbrix
