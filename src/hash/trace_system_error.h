#pragma once
// Diagnostics of the file reader: they go to the debugger output only, never
// to the user.

#include <windows.h>

namespace lumbrix {

// Writes the failed call's name, "(): " and the system's text for code.
void TraceSystemError(DWORD code, const wchar_t* functionName) noexcept;

} // namespace lumbrix
