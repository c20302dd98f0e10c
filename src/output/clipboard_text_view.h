#pragma once
// The clipboard's text, read in place: the clipboard stays open and its block
// locked for the scope, so even a large text is never copied. What another
// program left there is untrusted: the view ends at the text's first NUL or
// the block's end, and never goes beyond kMostUnits (a longer text is cut
// after its last whole line within that bound).

#include "output/clipboard_scope.h"

#include <windows.h>

#include <cstddef>
#include <string_view>

namespace lumbrix {

class ClipboardTextView {
public:
    static constexpr std::size_t kMostUnits = std::size_t{32} << 20; // 64 MiB

    // Opens the clipboard as ClipboardScope does (a second's worth of retries,
    // given up once report is no longer running).
    explicit ClipboardTextView(ProgressReport& report, const StepHook& afterFailedTry = {}) noexcept;
    ~ClipboardTextView();
    ClipboardTextView(const ClipboardTextView&) = delete;
    ClipboardTextView& operator=(const ClipboardTextView&) = delete;

    bool Opened() const noexcept { return clipboard_.IsOpen(); }
    // Empty when the clipboard holds no text (or could not be opened).
    std::wstring_view Text() const noexcept { return text_; }
    // Whether the text went beyond kMostUnits.
    bool Cut() const noexcept { return cut_; }

private:
    ClipboardScope clipboard_;
    HGLOBAL block_ = nullptr; // the clipboard's own: locked here, never freed
    std::wstring_view text_;
    bool cut_ = false;
};

} // namespace lumbrix
