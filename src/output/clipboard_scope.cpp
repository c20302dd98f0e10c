#include "output/clipboard_scope.h"

namespace lumbrix {

ClipboardScope::ClipboardScope(const std::atomic<bool>& keepTrying) noexcept
{
    for (int attempt = 0; attempt < 20 && !open_ && keepTrying.load(); ++attempt) {
        open_ = ::OpenClipboard(nullptr) != FALSE;
        if (!open_) ::Sleep(50);
    }
}

void ClipboardScope::Close() noexcept
{
    if (open_) ::CloseClipboard();
    open_ = false;
}

} // namespace lumbrix
