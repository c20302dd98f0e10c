#include "output/clipboard_text_view.h"

#include <algorithm>

namespace lumbrix {

ClipboardTextView::ClipboardTextView(ProgressReport& report, const StepHook& afterFailedTry) noexcept
    : clipboard_(report, afterFailedTry)
{
    if (!clipboard_.IsOpen()) return;
    const HGLOBAL block = ::GetClipboardData(CF_UNICODETEXT);
    if (!block) return;
    const auto* units = static_cast<const wchar_t*>(::GlobalLock(block));
    if (!units) return;
    block_ = block;
    const std::size_t available = ::GlobalSize(block) / sizeof(wchar_t);
    const std::size_t bound = std::min(available, kMostUnits);
    const std::size_t length = std::size_t(std::find(units, units + bound, L'\0') - units);
    text_ = std::wstring_view(units, length);
    if (length == bound && available > kMostUnits && units[bound] != L'\0') {
        cut_ = true;
        const std::size_t lineEnd = text_.find_last_of(L"\r\n");
        text_ = text_.substr(0, lineEnd == std::wstring_view::npos ? 0 : lineEnd);
    }
}

ClipboardTextView::~ClipboardTextView()
{
    if (block_) ::GlobalUnlock(block_);
}

} // namespace lumbrix
