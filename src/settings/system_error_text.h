#pragma once
// The system's own text for a Windows error code.

#include <windows.h>

#include <string>

namespace lumbrix {

// FormatMessageW from the system table in the user's language, inserts ignored,
// kept as it comes (normally ending in a line break); empty for a code without
// text. Throws std::bad_alloc when memory runs out.
std::wstring SystemErrorText(DWORD code);

} // namespace lumbrix
