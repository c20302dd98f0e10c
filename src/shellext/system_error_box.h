#pragma once
// The message box for a failed Windows call.

#include <windows.h>

#include <string>

namespace lumbrix {

// The system's text for code followed by "(%d)"; the box has no owner, the
// caption "Lumbrix64" and the information icon. Blocks the calling thread.
void ReportSystemError(DWORD code) noexcept;

// The text that ReportSystemError shows for code.
std::wstring SystemErrorBoxText(DWORD code);

} // namespace lumbrix
