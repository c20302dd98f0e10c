#pragma once
// The picture beside the context-menu entry.

#include <windows.h>

namespace lumbrix {

// Bitmap 102 of the module at the size of a menu check mark, loaded on the
// first call and owned by the module until it unloads: menus only reference
// it, so a right-click costs no GDI object. Null when it cannot be loaded.
HBITMAP MenuBitmap() noexcept;

} // namespace lumbrix
