// The DLL's entry routine: records the module handle at attach, removes the
// progress window class when the module is unloaded.

#include "common/module_identity.h"
#include "progress/progress_window_class.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH) lumbrix::moduleInstance = instance;
    // reserved is null for FreeLibrary; at process exit nothing needs undoing.
    if (reason == DLL_PROCESS_DETACH && !reserved) lumbrix::UnregisterProgressWindowClass();
    return TRUE;
}
