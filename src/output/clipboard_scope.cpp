#include "output/clipboard_scope.h"

namespace lumbrix {

ClipboardScope::ClipboardScope() noexcept
{
    for (int attempt = 0; attempt < 20 && !open_; ++attempt) {
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
