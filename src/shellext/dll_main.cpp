// The DLL's entry routine: records the module handle, nothing else.

#include "shellext/module_state.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/)
{
    if (reason == DLL_PROCESS_ATTACH) lumbrix::moduleInstance = instance;
    return TRUE;
}
