#pragma once
// The system's own text for a Windows error code: the module's one use of
// FormatMessageW.

#include "common/unique_any.h"

#include <windows.h>

#include <string>

namespace lumbrix {

// FormatMessageW from the system table in the user's language, inserts
// ignored, kept as it comes (normally ending in a line break); empty for a
// code without text. Allocates nothing of its own, so it suits paths that
// must not throw.
UniqueLocalString FormatSystemMessage(DWORD code) noexcept;

// The same text as a string. Throws std::bad_alloc when memory runs out.
std::wstring SystemErrorText(DWORD code);

} // namespace lumbrix
