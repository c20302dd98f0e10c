#pragma once
// A handler object made directly from the linked product code, so that its
// recorded selection and counts can be inspected.

#include "common/com_ptr.h"
#include "shellext/lumbrix_menu.h"

namespace lumbrix::test {

inline ComPtr<LumbrixMenu> NewHandler() { return MakeComObject<LumbrixMenu>(); }

// CMINVOKECOMMANDINFO for an offset or an 8-bit verb.
inline CMINVOKECOMMANDINFO Invocation(LPCSTR verb)
{
    CMINVOKECOMMANDINFO info{};
    info.cbSize = sizeof info;
    info.lpVerb = verb;
    info.nShow = SW_SHOWNORMAL;
    return info;
}
inline CMINVOKECOMMANDINFO Invocation(int offset) { return Invocation(MAKEINTRESOURCEA(offset)); }

} // namespace lumbrix::test
