#pragma once
// UTF-16 text as UTF-8 bytes, for the checksum files that other tools read
// and for the compact store of their entries. Portable: wchar_t holds one
// UTF-16 unit whatever its width.

#include <string>
#include <string_view>

namespace lumbrix {

// Appends text as UTF-8. A surrogate without its partner has no UTF-8 form:
// with keepLoneSurrogates it is written in the generalised three-byte form
// (so that DecodeGeneralisedUtf8 gives the same units back), otherwise as
// U+FFFD. False when a lone surrogate was met. Throws std::bad_alloc.
bool AppendUtf8(std::string& out, std::wstring_view text, bool keepLoneSurrogates);

// Appends the units of bytes that AppendUtf8 wrote with keepLoneSurrogates.
// For trusted bytes only: malformed input gives wrong units, but never
// reads past the end. Throws std::bad_alloc.
void AppendGeneralisedUtf8(std::wstring& out, std::string_view bytes);

} // namespace lumbrix
