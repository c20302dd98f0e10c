#pragma once
// The command menu again as a popup at the mouse, after an option toggle, so
// that several options can be set in a row before a copy command is picked.

#include "job/copy_request.h"

#include <windows.h>

namespace lumbrix {

// Reloads request.options (the toggle that led here has just been saved) and
// shows the menu until the user picks a copy command or dismisses it. Each
// toggle there changes request.options and is saved at once. Returns the
// command picked that starts a job (a copy or a checksum command), or 0 when
// the popup was dismissed.
int RunOptionsPopup(HWND owner, CopyRequest& request) noexcept;

} // namespace lumbrix
