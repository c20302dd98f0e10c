#include "shellext/module_reference.h"

namespace lumbrix {

ModuleReference AcquireModuleReference() noexcept
{
    HMODULE module = nullptr;
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                              reinterpret_cast<LPCWSTR>(&AcquireModuleReference), &module)) {
        return ModuleReference();
    }
    return ModuleReference(module);
}

void ExitThreadReleasingModule(ModuleReference module, DWORD exitCode) noexcept
{
    if (module) ::FreeLibraryAndExitThread(module.release(), exitCode);
    ::ExitThread(exitCode);
}

} // namespace lumbrix
