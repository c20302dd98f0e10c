#include "shellext/module_thread.h"

#include "shellext/module_reference.h"

#include <memory>
#include <new>
#include <utility>

namespace lumbrix {
namespace {

struct ModuleThreadStart {
    DetachedWork work = nullptr;
    void* context = nullptr;
    ModuleReference module;
};

DWORD WINAPI ModuleThreadProc(void* parameter)
{
    ModuleReference module;
    {
        const std::unique_ptr<ModuleThreadStart> start(static_cast<ModuleThreadStart*>(parameter));
        module = std::move(start->module);
        start->work(start->context);
    }
    ExitThreadReleasingModule(std::move(module), 0);
}

} // namespace

bool StartThreadHoldingModule(DetachedWork work, void* context) noexcept
{
    std::unique_ptr<ModuleThreadStart> start(new (std::nothrow) ModuleThreadStart);
    if (!start) return false;
    start->work = work;
    start->context = context;
    // Taken here, on the starting thread, so that the module cannot go
    // before the new thread runs.
    start->module = AcquireModuleReference();
    const UniqueHandle thread(::CreateThread(nullptr, 0, ModuleThreadProc, start.get(), 0, nullptr));
    if (!thread) return false;
    (void)start.release(); // the thread owns it now
    return true;
}

} // namespace lumbrix
