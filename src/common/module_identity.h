#pragma once
// Who this module is: its instance handle, the product's caption and the
// handler's class identifier.

#include <windows.h>

namespace lumbrix {

// Recorded at process attach; resources, windows and registration use it.
extern HINSTANCE moduleInstance;

// {134343DC-2495-456B-AAD3-100028AF9510}
inline constexpr CLSID CLSID_LumbrixMenu = {
    0x134343dc, 0x2495, 0x456b, {0xaa, 0xd3, 0x10, 0x00, 0x28, 0xaf, 0x95, 0x10}};

inline constexpr wchar_t kProductCaption[] = L"Lumbrix64";

} // namespace lumbrix
