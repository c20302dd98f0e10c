#pragma once
// A fixed text buffer that the worker rewrites in place while the progress
// thread draws it. The last unit is always NUL, so a reader that meets a text
// in the middle of a rewrite may see a torn line but never reads past the end.

#include <windows.h>

#include <cstddef>
#include <string_view>

namespace lumbrix {

class ProgressText {
public:
    static constexpr std::size_t kCapacity = 32768; // units, terminator included

    ProgressText() noexcept { units_[0] = 0; units_[kCapacity - 1] = 0; }

    // Copies as much of text as fits (32767 units) and terminates it.
    void Set(std::wstring_view text) noexcept;
    void Clear() noexcept { units_[0] = 0; }
    // printf-style through wsprintfW (at most 1024 units, as that formatter writes).
    void Format(const wchar_t* format, ...) noexcept;

    // For the drawing thread: copies the current text into out (capacity units)
    // and returns its length; out is always terminated.
    std::size_t Snapshot(wchar_t* out, std::size_t capacity) const noexcept;

    const wchar_t* c_str() const noexcept { return units_; }

private:
    wchar_t units_[kCapacity];
};

} // namespace lumbrix
