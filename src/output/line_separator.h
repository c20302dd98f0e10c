#pragma once
// What stands between two lines of the text: CR LF, or one space when the
// lines are joined into one. Nothing follows the last line either way.

#include <string_view>

namespace lumbrix {

constexpr std::wstring_view LineSeparator(bool singleLine) noexcept
{
    return singleLine ? std::wstring_view(L" ") : std::wstring_view(L"\r\n");
}

} // namespace lumbrix
