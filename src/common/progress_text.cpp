#include "common/progress_text.h"

#include <cstdarg>
#include <cstring>

namespace lumbrix {

void ProgressText::Set(std::wstring_view text) noexcept
{
    const std::size_t length = text.size() < kCapacity - 1 ? text.size() : kCapacity - 1;
    std::memcpy(units_, text.data(), length * sizeof(wchar_t));
    units_[length] = 0;
}

void ProgressText::Format(const wchar_t* format, ...) noexcept
{
    va_list args;
    va_start(args, format);
    ::wvsprintfW(units_, format, args);
    va_end(args);
}

std::size_t ProgressText::Snapshot(wchar_t* out, std::size_t capacity) const noexcept
{
    if (capacity == 0) return 0;
    std::size_t length = 0;
    while (length + 1 < capacity && units_[length] != 0) {
        out[length] = units_[length];
        ++length;
    }
    out[length] = 0;
    return length;
}

} // namespace lumbrix
