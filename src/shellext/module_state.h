#pragma once
// State shared by the whole module: its instance handle, the count of COM
// references and server locks, and the handler's class identifier.

#include <windows.h>

#include <atomic>

namespace lumbrix {

extern HINSTANCE moduleInstance;
extern std::atomic<LONG> objectCount;

// {134343DC-2495-456B-AAD3-100028AF9510}
inline constexpr CLSID CLSID_LumbrixMenu = {
    0x134343dc, 0x2495, 0x456b, {0xaa, 0xd3, 0x10, 0x00, 0x28, 0xaf, 0x95, 0x10}};

inline constexpr wchar_t kProductCaption[] = L"Lumbrix64";

} // namespace lumbrix
