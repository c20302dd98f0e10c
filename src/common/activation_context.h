#pragma once
// The activation context of the manifest that the module carries (resource
// type RT_MANIFEST, id 2: common controls version 6).

#include <windows.h>

namespace lumbrix {

// Activates the module's context for the lifetime of the object. When the
// module has no such context the calls run in the process default context.
// Deactivation keeps the thread's last error.
class ScopedModuleActivation {
public:
    ScopedModuleActivation() noexcept;
    ScopedModuleActivation(const ScopedModuleActivation&) = delete;
    ScopedModuleActivation& operator=(const ScopedModuleActivation&) = delete;
    ~ScopedModuleActivation();
    bool Active() const noexcept { return active_; }

private:
    ULONG_PTR cookie_ = 0;
    bool active_ = false;
};

} // namespace lumbrix
