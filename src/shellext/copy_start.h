#pragma once
// The one way a copy command of either menu starts, so that both give the
// same worker, progress window and clipboard text.

#include "job/copy_request.h"

#include <windows.h>

namespace lumbrix {

// Moves request into a new job whose progress window belongs to owner and
// starts its worker thread. When nothing starts, request is left as it was.
[[nodiscard]] HRESULT StartCopy(CopyRequest& request, HWND owner) noexcept;

} // namespace lumbrix
