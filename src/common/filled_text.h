#pragma once
// A format of the string tables filled in, whatever the length of the texts
// put in (paths may be 32,767 units long).

#include "common/text_format.h"

#include <cstddef>
#include <cwchar>
#include <new>
#include <string>

namespace lumbrix {
namespace filled_text {

inline std::size_t Room(const wchar_t* text) noexcept { return std::wcslen(text); }
inline std::size_t Room(unsigned long long) noexcept { return 24; }

} // namespace filled_text

// The display language's text of id, its conversions checked against
// skeleton's ("%ls" for a text, "%llu" for a count; FormatText), with values
// put in. Throws std::bad_alloc.
template <typename... Values>
std::wstring FilledText(UINT id, const wchar_t* skeleton, Values... values)
{
    const wchar_t* format = FormatText(id, skeleton);
    std::wstring text(std::wcslen(format) + (std::size_t{1} + ... + filled_text::Room(values)), L'\0');
    const int length = std::swprintf(text.data(), text.size(), format, values...);
    if (length < 0) throw std::bad_alloc();
    text.resize(static_cast<std::size_t>(length));
    return text;
}

} // namespace lumbrix
