// The module's activation context: made once from the manifest that the
// module carries, released when the module unloads.

#include "common/activation_context.h"

#include "common/module_identity.h"
#include "common/unique_any.h"
#include "resources/resource_ids.h"

namespace lumbrix {
namespace {

class ModuleContext {
public:
    ModuleContext() noexcept
    {
        // The path is needed besides the module handle by systems that read
        // the manifest from the file.
        static wchar_t path[32768];
        const DWORD length = ::GetModuleFileNameW(moduleInstance, path, 32768);
        if (length == 0 || length >= 32768) return;
        ACTCTXW context = {};
        context.cbSize = sizeof(context);
        context.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
        context.lpSource = path;
        context.lpResourceName = MAKEINTRESOURCEW(IDR_COMMON_CONTROLS_MANIFEST);
        context.hModule = moduleInstance;
        handle_.reset(::CreateActCtxW(&context));
    }

    HANDLE handle() const noexcept { return handle_.get(); }

private:
    UniqueActivationContext handle_;
};

HANDLE ModuleContextHandle() noexcept
{
    // Built by the first caller on any thread; destroyed when the module unloads.
    static const ModuleContext context;
    return context.handle();
}

} // namespace

ScopedModuleActivation::ScopedModuleActivation() noexcept
{
    const DWORD error = ::GetLastError();
    const HANDLE context = ModuleContextHandle();
    if (context != INVALID_HANDLE_VALUE) active_ = ::ActivateActCtx(context, &cookie_) != FALSE;
    ::SetLastError(error);
}

ScopedModuleActivation::~ScopedModuleActivation()
{
    if (!active_) return;
    // The wrapped call's error code must survive the deactivation.
    const DWORD error = ::GetLastError();
    ::DeactivateActCtx(0, cookie_);
    ::SetLastError(error);
}

} // namespace lumbrix
