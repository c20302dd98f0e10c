// Placeholder until self-registration is written.
#include <windows.h>

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() { return E_NOTIMPL; }
extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() { return E_NOTIMPL; }
