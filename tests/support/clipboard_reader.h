#pragma once
// Reads and sets the real clipboard as another program would.

#include <windows.h>

#include <optional>
#include <string>

namespace lumbrix::test {

struct ClipboardText {
    std::wstring units;    // every UTF-16 unit of the block, NULs included
    std::size_t blockBytes = 0;
    // The text up to its first NUL.
    std::wstring Text() const { return units.substr(0, units.find(L'\0')); }
};

// The CF_UNICODETEXT block, or nothing when the clipboard holds none.
std::optional<ClipboardText> ReadClipboard();
// Puts text on the clipboard (to detect whether a copy changed it).
bool WriteClipboard(const std::wstring& text);
// Empties the clipboard.
bool ClearClipboard();
// The clipboard's sequence number: changes whenever its content changes.
DWORD ClipboardSequence();

} // namespace lumbrix::test
