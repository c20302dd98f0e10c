#include "common/text_format.h"

#include "common/text_table.h"

#include <cwchar>

namespace lumbrix {
namespace {

// The next conversion from text on: where it starts and how long it is
// (flags, width, precision, size and the type letter); length 0 at the end.
// An unfinished conversion runs to the end of the text, and so never
// matches a finished one.
const wchar_t* NextConversion(const wchar_t* text, std::size_t& length) noexcept
{
    for (;;) {
        text = std::wcschr(text, L'%');
        if (!text) {
            length = 0;
            return nullptr;
        }
        if (text[1] == L'%') {
            text += 2;
            continue;
        }
        std::size_t end = 1;
        while (text[end] != 0 && !std::wcschr(L"cCdiouxXeEfFgGaAsSpn", text[end])) ++end;
        length = text[end] != 0 ? end + 1 : end;
        return text;
    }
}

} // namespace

bool SameConversions(const wchar_t* format, const wchar_t* expected) noexcept
{
    std::size_t formatLength = 0;
    std::size_t expectedLength = 0;
    for (;;) {
        format = NextConversion(format, formatLength);
        expected = NextConversion(expected, expectedLength);
        if (!format || !expected) return !format && !expected;
        if (formatLength != expectedLength || std::wcsncmp(format, expected, formatLength) != 0) return false;
        format += formatLength;
        expected += expectedLength;
    }
}

const wchar_t* FormatText(UINT id, const wchar_t* skeleton) noexcept
{
    const wchar_t* format = Text(id);
    return format[0] != 0 && SameConversions(format, skeleton) ? format : skeleton;
}

} // namespace lumbrix
