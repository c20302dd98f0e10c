#pragma once
// The one trace of the layers that do not tell the user themselves: a failed
// Windows call goes to the debugger output only, never to a box.

#include <windows.h>

namespace lumbrix {

// Writes the failed call's name, "(): " and the system's text for code.
void TraceSystemError(DWORD code, const wchar_t* functionName) noexcept;

} // namespace lumbrix
