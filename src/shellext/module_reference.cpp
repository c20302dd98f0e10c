#include "shellext/module_reference.h"

namespace lumbrix {

HMODULE AcquireModuleReference() noexcept
{
    HMODULE module = nullptr;
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                              reinterpret_cast<LPCWSTR>(&AcquireModuleReference), &module)) {
        return nullptr;
    }
    return module;
}

void ExitThreadReleasingModule(HMODULE module, DWORD exitCode) noexcept
{
    if (module) ::FreeLibraryAndExitThread(module, exitCode);
    ::ExitThread(exitCode);
}

} // namespace lumbrix
