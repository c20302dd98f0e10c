#include "shellext/menu_bitmap.h"

#include "common/unique_any.h"
#include "resources/resource_ids.h"
#include "common/module_identity.h"

namespace lumbrix {

HBITMAP MenuBitmap() noexcept
{
    // Initialised once even when several shell threads ask at the same time;
    // destroyed with the module's other static objects.
    static const UniqueBitmap bitmap(static_cast<HBITMAP>(
        ::LoadImageW(moduleInstance, MAKEINTRESOURCEW(IDB_MENU_BITMAP), IMAGE_BITMAP,
                     ::GetSystemMetrics(SM_CXMENUCHECK), ::GetSystemMetrics(SM_CYMENUCHECK), LR_VGACOLOR)));
    return bitmap.get();
}

} // namespace lumbrix
