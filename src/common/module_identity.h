#pragma once
// Who this module is: its instance handle, the product's caption and the
// handlers' class identifiers.

#include <windows.h>

namespace lumbrix {

// Recorded at process attach; resources, windows and registration use it.
extern HINSTANCE moduleInstance;

// {134343DC-2495-456B-AAD3-100028AF9510}
inline constexpr CLSID CLSID_LumbrixMenu = {
    0x134343dc, 0x2495, 0x456b, {0xaa, 0xd3, 0x10, 0x00, 0x28, 0xaf, 0x95, 0x10}};

// The Windows 11 menu's handler, served to the package that names it.
// {CEC05D63-1DAB-4C0E-929C-1678058C3BD5}
inline constexpr CLSID CLSID_LumbrixExplorerCommand = {
    0xcec05d63, 0x1dab, 0x4c0e, {0x92, 0x9c, 0x16, 0x78, 0x05, 0x8c, 0x3b, 0xd5}};

inline constexpr wchar_t kProductCaption[] = L"Lumbrix64";

} // namespace lumbrix
