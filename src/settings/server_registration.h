#pragma once
// Self-registration: the COM class as an in-process server and the handler
// keys for every file type and for folders, all under HKEY_CLASSES_ROOT.
// Every failure is shown in its own message box before the call returns.

#include <windows.h>

namespace lumbrix {

// The handler's display name, also the name of its ContextMenuHandlers subkeys:
// registry data, the same whatever the display language. "" only when the
// module's name table is missing.
const wchar_t* HandlerDisplayName() noexcept;

} // namespace lumbrix

// S_OK; SELFREG_E_CLASS when a key or value cannot be written (what was written
// stays); E_UNEXPECTED when the module's path is not available.
extern "C" HRESULT STDAPICALLTYPE DllRegisterServer();
// S_OK, also for keys that are not there; S_FALSE when any of the three
// removals failed (the others still run).
extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer();
